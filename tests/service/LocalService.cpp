#include "tests/service/LocalService.h"

#include <filesystem>

#include "service/admin/DemoData.h"
#include "tests/support/Files.h"
#include "tests/support/Postgres.h"
#include "wire/Gzip.h"

namespace tarvik::test {
namespace {

namespace fs = std::filesystem;
using namespace service;

// The demo data set written once a process (slower than a copy); empty when it could not be written.
const std::string& DemoTemplate() {
  static const struct Template {
    QTemporaryDir folder;
    std::string file;
    Template() {
      std::string error, path = folder.filePath("demo.db").toStdString();
      auto db = Database::Open(path, 1, &error);
      auto c = db ? db->Acquire(&error) : nullptr;
      if (c && c->EnsureSchema(&error) && WriteDemoData(*c, &error)) file = path;
      else ADD_FAILURE() << "the demo data set: " << error;
    }
  } demo;
  return demo.file;
}

}  // namespace

LocalService::LocalService(const LocalSetup& setup)
    : folder_(dir_.path().toStdString() + "/"), db_(setup.db) {
  const bool postgres = setup.which == TestDb::kPostgres || (setup.which == TestDb::kFromEnvironment && OnPostgres());
  if (db_.empty() && postgres) {
    PostgresServer* pg = PostgresServer::Installed() ? PostgresServer::Shared() : nullptr;
    if (!PostgresServer::Installed()) skipped_ = "PostgreSQL is not installed";
    if (!pg || (db_ = pg->CreateDatabase(true)).empty()) return;
    ownsPostgres_ = true;
  } else if (db_.empty()) {
    std::error_code ec;
    if (DemoTemplate().empty() || !fs::copy_file(DemoTemplate(), folder_ + "service.db", ec)) return;
    db_ = folder_ + "service.db";
  }
  std::string error;
  database_ = Database::Open(db_, 10, &error, setup.limits);
  auto c = database_ ? database_->Acquire(&error) : nullptr;
  if (!c || !c->EnsureSchema(&error)) {
    ADD_FAILURE() << db_ << ": " << error;
    return;
  }
  cache_ = std::make_unique<ReplyCache>(64u << 20);
  service_.reset(new Service{*database_, cache_.get()});
  site_.reset(new Site{*service_, setup.updateDir, nullptr, {}});
}

LocalService::~LocalService() {
  site_.reset();
  database_.reset();
  if (ownsPostgres_) PostgresServer::Shared()->DropDatabase(db_);
}

std::string LocalService::Call(const Req& request) {
  const Reply reply = HandleRequest(*service_, protocol::EndpointOfPath(request.path), request.text);
  std::string text;
  if (!reply.unknown) GzipDecompress(reply.Body(), text);
  return text;
}

Answer LocalService::Http(const std::string& request) {
  HttpHead head;
  std::size_t used = 0;
  Answer a;
  if (ParseHead(request, head, used) != HeadStatus::kComplete) return a;
  const HttpReply r = Respond(*site_, head, request.substr(used));
  a.line = ReplyHead(r, true);
  a.line.resize(a.line.find("\r\n"));
  a.status = r.status;
  a.body = r.body;
  if (r.file.get() >= 0) a.body = ReadFile("/proc/self/fd/" + std::to_string(r.file.get()));
  for (const auto& [name, value] : r.headers)
    if (name == "Content-Encoding" && value == "gzip") GzipDecompress(a.body, a.text);
  return a;
}

}  // namespace tarvik::test
