#include "service/Admin.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "net/Gzip.h"
#include "platform/Text.h"
#include "service/CatalogImport.h"
#include "service/Database.h"
#include "service/DemoData.h"

namespace tarvik::service {

namespace {

namespace fs = std::filesystem;

std::unique_ptr<Connection> OpenDb(const std::string& path, std::ostream& err) {
  std::string error;
  auto c = Connection::Open(path, &error);
  if (!c || !c->EnsureSchema(&error)) {
    err << "tarvik-service: " << path << ": " << error << "\n";
    return nullptr;
  }
  return c;
}

bool ReadFile(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  data = s.str();
  return !in.bad();
}

// Writes through a temporary name in the same folder, so a reader sees the old
// file or the new one, never half of one.
bool WriteFileAtomic(const fs::path& path, const std::string& data) {
  const fs::path tmp = path.string() + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) fs::remove(tmp, ec);
  return !ec;
}

std::string OneLine(std::string s) {
  std::string out;
  for (char c : s) {
    if (c == '\r') continue;
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += ' ';
    else out += c;
  }
  return out;
}

bool SupplierExists(Connection& db, const std::string& supplier, std::string& error) {
  Rows rows;
  if (!db.Query("SELECT M_CODE FROM M_ WHERE M_CODE = ?", {supplier}, 1, rows, &error)) return false;
  if (rows.empty()) error = "no supplier " + supplier;
  return !rows.empty();
}

// The rows of a query, one line each, fields separated by tabs.
int PrintRows(const std::string& dbPath, const char* what, const char* sql, std::size_t columns,
              std::ostream& out, std::ostream& err) {
  auto db = OpenDb(dbPath, err);
  if (!db) return 1;
  Rows rows;
  std::string error;
  if (!db->Query(sql, {}, columns, rows, &error)) {
    err << "tarvik-service: " << what << ": " << error << "\n";
    return 1;
  }
  for (const auto& r : rows) {
    for (std::size_t i = 0; i < r.size(); ++i) out << (i ? "\t" : "") << OneLine(r[i]);
    out << "\n";
  }
  return 0;
}

}  // namespace

int AdminDemo(const std::string& dbPath, std::ostream& out, std::ostream& err) {
  auto db = OpenDb(dbPath, err);
  if (!db) return 1;
  std::string error;
  if (!WriteDemoData(*db, &error)) {
    err << "tarvik-service: demo: " << error << "\n";
    return 1;
  }
  out << "demo data written to " << dbPath << "\n";
  return 0;
}

int AdminDemoOrders(const std::string& dbPath, std::ostream& out, std::ostream& err) {
  auto db = OpenDb(dbPath, err);
  if (!db) return 1;
  std::string error;
  if (!WriteDemoOrders(*db, &error)) {
    err << "tarvik-service: demo-orders: " << error << "\n";
    return 1;
  }
  out << "demo orders written to " << dbPath << "\n";
  return 0;
}

int AdminOrders(const std::string& dbPath, std::ostream& out, std::ostream& err) {
  return PrintRows(dbPath, "orders",
                   "SELECT H.OH_CODE, H.M_CODE, H.OH_CC, H.OH_SD, H.OH_AT, H.OH_MT, H.OH_IOG,"
                   " H.OH_SG, (SELECT COUNT(*) FROM OL_ L WHERE L.OH_CODE = H.OH_CODE), H.OH_NOTE"
                   " FROM OH_ H ORDER BY H.OH_CODE",
                   10, out, err);
}

int AdminMark(const std::string& dbPath, const std::string& code, const std::string& status,
              std::ostream& out, std::ostream& err) {
  if (status != "I" && status != "O") {
    err << "tarvik-service: mark: the status is I or O\n";
    return 2;
  }
  auto db = OpenDb(dbPath, err);
  if (!db) return 1;
  std::string error;
  const bool ok = InTransaction(
      *db,
      [&] {
        if (!db->Exec("UPDATE OH_ SET OH_IOG = ? WHERE OH_CODE = ?", {status, code}, &error))
          return false;
        if (db->Changed() != 1) error = "no order " + code;
        return db->Changed() == 1;
      },
      &error);
  if (!ok) {
    err << "tarvik-service: mark: " << error << "\n";
    return 1;
  }
  out << code << " " << status << "\n";
  return 0;
}

int AdminMessages(const std::string& dbPath, std::ostream& out, std::ostream& err) {
  return PrintRows(dbPath, "messages",
                   "SELECT OA_CODE, OA_SC, OA_CC, OA_IOG, OA_STATUS, OA_WDATE, OA_WTIME, OA_MSG"
                   " FROM OA_ ORDER BY OA_ID",
                   8, out, err);
}

int AdminNoticeSet(const std::string& dbPath, const std::string& supplier,
                   const std::string& file, std::ostream& out, std::ostream& err) {
  std::string text;
  if (!ReadFile(file, text)) {
    err << "tarvik-service: notice: cannot read " << file << "\n";
    return 1;
  }
  // Replies are declared UTF-8: a file saved in the Korean code page is refused.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (!IsValidUtf8(text)) {
    err << "tarvik-service: notice: " << file << " is not UTF-8\n";
    return 1;
  }
  std::vector<std::vector<std::string>> cols(4);
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    cols[0].push_back(supplier);
    cols[1].push_back("999999");
    cols[2].push_back(std::to_string(cols[2].size() + 1));
    cols[3].push_back(line);
  }
  auto db = OpenDb(dbPath, err);
  if (!db) return 1;
  std::string error;
  const bool ok = InTransaction(
      *db,
      [&] {
        return SupplierExists(*db, supplier, error) &&
               db->Exec("DELETE FROM GM_ WHERE M_CODE = ? AND GM_GC = '999999'", {supplier},
                        &error) &&
               db->ExecMany("INSERT INTO GM_ (M_CODE, GM_GC, GM_NO, GM_NOTE) VALUES (?, ?, ?, ?)",
                            cols, &error);
      },
      &error);
  if (!ok) {
    err << "tarvik-service: notice: " << error << "\n";
    return 1;
  }
  out << cols[0].size() << " notice lines set for " << supplier << "\n";
  return 0;
}

int AdminImportCatalogue(const std::string& dbPath, const std::string& supplier,
                         const std::string& file, std::ostream& out, std::ostream& err) {
  std::string text, error;
  if (!ReadFile(file, text)) {
    err << "tarvik-service: import-catalogue: cannot read " << file << "\n";
    return 1;
  }
  std::vector<CatalogueRow> rows;
  if (!ParseCatalogueCsv(text, rows, &error)) {
    err << "tarvik-service: import-catalogue: " << file << ": " << error << "\n";
    return 1;
  }
  auto db = OpenDb(dbPath, err);
  if (!db) return 1;
  const bool ok = InTransaction(
      *db,
      [&] {
        Rows found;
        if (!SupplierExists(*db, supplier, error)) return false;
        // The keys of the products the file leaves alone place the new ones.
        if (!db->Query("SELECT G_CODE, G_GPN1, G_GPN2, G_GPSORT1, G_GPSORT2, G_SORT FROM G_"
                       " WHERE M_CODE = ?",
                       {supplier}, 6, found, &error))
          return false;
        std::set<std::string> codes;
        for (const auto& r : rows) codes.insert(r.code);
        std::vector<CatalogueRow> existing;
        for (const auto& f : found) {
          if (!codes.count(f[0])) existing.push_back({f[0], "", "", "", "", f[1], f[2], f[3], f[4], f[5]});
        }
        DeriveSortKeys(rows, existing);
        std::vector<std::vector<std::string>> cols(11);
        for (const auto& r : rows) {
          const std::string* v[] = {&supplier, &r.code,  &r.name,  &r.box,   &r.barcode, &r.count,
                                    &r.major,  &r.minor, &r.sort1, &r.sort2, &r.sort};
          for (std::size_t i = 0; i < 11; ++i) cols[i].push_back(*v[i]);
        }
        return db->ExecMany(
            "INSERT INTO G_ (M_CODE, G_CODE, G_NAME, G_BOX, G_BCODE, G_BCNT, G_GPN1, G_GPN2,"
            " G_GPSORT1, G_GPSORT2, G_SORT) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
            " ON CONFLICT (M_CODE, G_CODE) DO UPDATE SET G_NAME = excluded.G_NAME,"
            " G_BOX = excluded.G_BOX, G_BCODE = excluded.G_BCODE, G_BCNT = excluded.G_BCNT,"
            " G_GPN1 = excluded.G_GPN1, G_GPN2 = excluded.G_GPN2,"
            " G_GPSORT1 = excluded.G_GPSORT1, G_GPSORT2 = excluded.G_GPSORT2,"
            " G_SORT = excluded.G_SORT",
            cols, &error);
      },
      &error);
  if (!ok) {
    err << "tarvik-service: import-catalogue: " << error << "\n";
    return 1;
  }
  out << rows.size() << " products imported for " << supplier << "\n";
  return 0;
}

int AdminPublish(const std::string& updateDir, const std::string& program,
                 const std::vector<std::string>& modules, const std::vector<std::string>& images,
                 const std::string& message, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  const fs::path base(updateDir);
  fs::create_directories(base / "DATA" / "IMAGE", ec);
  if (ec) {
    err << "tarvik-service: publish: " << ec.message() << "\n";
    return 1;
  }
  // Copies one file and gives "name,crc\r\n" for its manifest list.
  auto copy = [&](const std::string& source, const fs::path& folder, std::string& entry) {
    std::string data;
    if (!ReadFile(source, data)) {
      err << "tarvik-service: publish: cannot read " << source << "\n";
      return false;
    }
    const std::string name = fs::path(source).filename().string();
    if (!WriteFileAtomic(folder / name, data)) {
      err << "tarvik-service: publish: cannot write " << (folder / name).string() << "\n";
      return false;
    }
    entry = name + "," + std::to_string(Crc32(data)) + "\r\n";
    return true;
  };
  std::string version, moduleList, imageList, entry;
  if (!copy(program, base / "DATA", entry)) return 1;
  version = entry.substr(entry.find(',') + 1, entry.size() - entry.find(',') - 3);
  for (const auto& m : modules) {
    if (!copy(m, base / "DATA", entry)) return 1;
    moduleList += entry;
  }
  for (const auto& i : images) {
    if (!copy(i, base / "DATA" / "IMAGE", entry)) return 1;
    imageList += entry;
  }
  const std::string manifest = "<VERSION>" + version + "</VERSION><MODULE>" + moduleList +
                               "</MODULE><IMAGE>" + imageList + "</IMAGE><MESSAGE>" + message +
                               "</MESSAGE>";
  if (!WriteFileAtomic(base / "tkclienti.ini", manifest)) {
    err << "tarvik-service: publish: cannot write the manifest\n";
    return 1;
  }
  out << "published " << fs::path(program).filename().string() << " crc " << version << " with "
      << modules.size() << " modules and " << images.size() << " images\n";
  return 0;
}

}  // namespace tarvik::service
