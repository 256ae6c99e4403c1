// tarvik-service: the reference web service and update server, its admin
// commands and the demo data set.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "service/Admin.h"
#include "service/HttpServer.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  tarvik-service serve --listen IP:PORT --db FILE [--update-dir DIR]\n"
    "  tarvik-service demo --db FILE\n"
    "  tarvik-service demo-orders --db FILE   (SHOP1's earlier orders and samples at DEMO)\n"
    "  tarvik-service orders --db FILE\n"
    "  tarvik-service mark OH_CODE I|O --db FILE\n"
    "  tarvik-service messages --db FILE\n"
    "  tarvik-service notice set FILE [--supplier M_CODE] --db FILE   (supplier S00001 unless named)\n"
    "  tarvik-service import-catalogue --supplier M_CODE FILE.csv --db FILE\n"
    "  tarvik-service publish --update-dir DIR --program FILE [--module FILE ...]\n"
    "                 [--image FILE ...] --message TEXT\n";

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::vector<std::string>> options;
  bool bad = false;

  std::string One(const std::string& name) const {
    const auto it = options.find(name);
    return it == options.end() || it->second.empty() ? std::string() : it->second.back();
  }
  bool Has(const std::string& name) const { return options.count(name) != 0; }
  const std::vector<std::string>& All(const std::string& name) const {
    static const std::vector<std::string> none;
    const auto it = options.find(name);
    return it == options.end() ? none : it->second;
  }
};

Args Parse(int argc, char** argv) {
  Args a;
  for (int i = 2; i < argc; ++i) {
    const std::string s = argv[i];
    if (s.size() > 2 && s.compare(0, 2, "--") == 0) {
      if (i + 1 >= argc) {
        a.bad = true;
        break;
      }
      a.options[s.substr(2)].push_back(argv[++i]);
    } else {
      a.positional.push_back(s);
    }
  }
  return a;
}

int Usage() {
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarvik::service;
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  const Args a = Parse(argc, argv);
  if (a.bad) return Usage();
  const std::string db = a.One("db");
  auto& out = std::cout;
  auto& err = std::cerr;

  if (cmd == "publish") {
    if (!a.Has("update-dir") || !a.Has("program") || !a.Has("message")) return Usage();
    return AdminPublish(a.One("update-dir"), a.One("program"), a.All("module"), a.All("image"),
                        a.One("message"), out, err);
  }
  if (db.empty()) return Usage();
  if (cmd == "serve") {
    if (!a.Has("listen")) return Usage();
    return Serve(a.One("listen"), db, a.One("update-dir"));
  }
  if (cmd == "demo") return AdminDemo(db, out, err);
  if (cmd == "demo-orders") return AdminDemoOrders(db, out, err);
  if (cmd == "orders") return AdminOrders(db, out, err);
  if (cmd == "messages") return AdminMessages(db, out, err);
  if (cmd == "mark") {
    if (a.positional.size() != 2) return Usage();
    return AdminMark(db, a.positional[0], a.positional[1], out, err);
  }
  if (cmd == "notice") {
    if (a.positional.size() != 2 || a.positional[0] != "set") return Usage();
    const std::string supplier = a.Has("supplier") ? a.One("supplier") : "S00001";
    return AdminNoticeSet(db, supplier, a.positional[1], out, err);
  }
  if (cmd == "import-catalogue") {
    if (a.positional.size() != 1 || !a.Has("supplier")) return Usage();
    return AdminImportCatalogue(db, a.One("supplier"), a.positional[0], out, err);
  }
  return Usage();
}
