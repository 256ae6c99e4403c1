#include "service/admin/Admin.h"

#include <filesystem>
#include <memory>
#include <set>

#include "text/Text.h"
#include "service/admin/CatalogImport.h"
#include "service/store/Database.h"
#include "service/admin/DemoData.h"
#include "service/store/CatalogueVersion.h"

namespace tarvik::service {

namespace {

namespace fs = std::filesystem;

// One connection to the database (its tables created when missing). The
// Database goes with the connection and is destroyed after it.
class AdminDb {
 public:
  bool Open(const std::string& db, std::ostream& err) {
    std::string error;
    database_ = Database::Open(db, 1, &error);
    if (database_) connection_ = database_->Acquire(&error);
    if (!connection_ || !connection_->EnsureSchema(&error)) {
      err << "tarvik-service: " << (database_ ? database_->Shown() : db) << ": " << error << "\n";
      return false;
    }
    return true;
  }
  Connection* operator->() const { return connection_.get(); }
  Connection& operator*() const { return *connection_; }

 private:
  std::unique_ptr<Database> database_;
  std::unique_ptr<Connection> connection_;
};


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

// Adds or updates rows; the keys of the products the rows leave alone place
// the new ones (DeriveSortKeys).
bool UpsertProducts(Connection& db, const std::string& supplier, std::vector<CatalogueRow>& rows,
                    std::string& error) {
  if (rows.empty()) return true;
  Rows found;
  if (!db.Query("SELECT G_CODE, G_GPN1, G_GPN2, G_GPSORT1, G_GPSORT2, G_SORT FROM G_"
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
  return db.ExecMany(
      "INSERT INTO G_ (M_CODE, G_CODE, G_NAME, G_BOX, G_BCODE, G_BCNT, G_GPN1, G_GPN2,"
      " G_GPSORT1, G_GPSORT2, G_SORT) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
      " ON CONFLICT (M_CODE, G_CODE) DO UPDATE SET G_NAME = excluded.G_NAME,"
      " G_BOX = excluded.G_BOX, G_BCODE = excluded.G_BCODE, G_BCNT = excluded.G_BCNT,"
      " G_GPN1 = excluded.G_GPN1, G_GPN2 = excluded.G_GPN2,"
      " G_GPSORT1 = excluded.G_GPSORT1, G_GPSORT2 = excluded.G_GPSORT2,"
      " G_SORT = excluded.G_SORT",
      cols, &error);
}

// The rows of a query, one line each, fields separated by tabs.
int PrintRows(const std::string& dbPath, const char* what, const char* sql, std::size_t columns,
              std::ostream& out, std::ostream& err) {
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
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
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
  std::string error;
  if (!WriteDemoData(*db, &error)) {
    err << "tarvik-service: demo: " << error << "\n";
    return 1;
  }
  out << "demo data written to " << dbPath << "\n";
  return 0;
}

int AdminDemoOrders(const std::string& dbPath, std::ostream& out, std::ostream& err) {
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
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
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
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

int AdminPasswordReset(const std::string& dbPath, const std::string& supplier,
                       const std::string& orderer, std::ostream& out, std::ostream& err) {
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
  std::string error;
  const bool ok = InTransaction(
      *db,
      [&] {
        if (!db->Exec("UPDATE C_ SET C_SS = '' WHERE M_CODE = ? AND C_CODE = ?",
                      {supplier, orderer}, &error))
          return false;
        if (db->Changed() != 1) error = "no orderer " + orderer + " of " + supplier;
        return db->Changed() == 1;
      },
      &error);
  if (!ok) {
    err << "tarvik-service: password-reset: " << error << "\n";
    return 1;
  }
  out << orderer << " of " << supplier << " has no password now: it registers one at its next log-in\n";
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
  if (!ReadWholeFile(file, text)) {
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
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
  std::string error;
  const bool ok = InTransaction(
      *db,
      [&] {
        return SupplierExists(*db, supplier, error) &&
               db->Exec("DELETE FROM GM_ WHERE M_CODE = ? AND GM_GC = '999999'", {supplier},
                        &error) &&
               db->ExecMany("INSERT INTO GM_ (M_CODE, GM_GC, GM_NO, GM_NOTE) VALUES (?, ?, ?, ?)",
                            cols, &error) &&
               RaiseCatalogueVersion(*db, supplier, &error);
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
                         const std::string& file, const std::string& removeFile, std::ostream& out,
                         std::ostream& err) {
  std::string text, error;
  std::vector<CatalogueRow> rows;
  if (!file.empty()) {
    if (!ReadWholeFile(file, text)) {
      err << "tarvik-service: import-catalogue: cannot read " << file << "\n";
      return 1;
    }
    if (!ParseCatalogueCsv(text, rows, &error)) {
      err << "tarvik-service: import-catalogue: " << file << ": " << error << "\n";
      return 1;
    }
  }
  std::vector<std::string> gone;
  if (!removeFile.empty()) {
    if (!ReadWholeFile(removeFile, text)) {
      err << "tarvik-service: import-catalogue: cannot read " << removeFile << "\n";
      return 1;
    }
    if (!ParseCodeList(text, gone, &error)) {
      err << "tarvik-service: import-catalogue: " << removeFile << ": " << error << "\n";
      return 1;
    }
  }
  AdminDb db;
  if (!db.Open(dbPath, err)) return 1;
  std::size_t removed = 0;
  const bool ok = InTransaction(
      *db,
      [&] {
        if (!SupplierExists(*db, supplier, error)) return false;
        // Removed first, so a file may bring a removed code back in one go.
        // The orderers' prices of a removed product go with it; orders keep
        // their lines (they name the code only).
        for (const auto& code : gone) {
          if (!db->Exec("DELETE FROM G_ WHERE M_CODE = ? AND G_CODE = ?", {supplier, code}, &error))
            return false;
          removed += db->Changed();
        }
        return UpsertProducts(*db, supplier, rows, error) && RaiseCatalogueVersion(*db, supplier, &error);
      },
      &error);
  if (!ok) {
    err << "tarvik-service: import-catalogue: " << error << "\n";
    return 1;
  }
  if (!file.empty()) out << rows.size() << " products imported for " << supplier << "\n";
  if (!removeFile.empty()) out << removed << " products removed for " << supplier << "\n";
  return 0;
}

}  // namespace tarvik::service
