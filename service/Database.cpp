#include "service/Database.h"

#include <Poco/Data/SQLite/Connector.h>
#include <Poco/Data/Session.h>
#include <Poco/Data/Statement.h>
#include <Poco/Exception.h>

#include <exception>

using namespace Poco::Data::Keywords;

namespace tarvik::service {

namespace {

std::once_flag g_register;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Runs body; a thrown exception becomes false with its text in error.
template <class F>
bool Guarded(std::string* error, F&& body) {
  try {
    body();
    return true;
  } catch (const Poco::Exception& e) {
    SetError(error, e.displayText());
  } catch (const std::exception& e) {
    SetError(error, e.what());
  }
  return false;
}

// Every text column; the client reads every field as text anyway. Codes are
// unique per supplier (M_CODE), order codes everywhere.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS M_ (M_CODE TEXT PRIMARY KEY, M_ID TEXT NOT NULL UNIQUE,"
    " M_MGU TEXT NOT NULL DEFAULT '1', M_DBTYPE TEXT NOT NULL DEFAULT '1',"
    " M_BIGO TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE IF NOT EXISTS C_ (M_CODE TEXT NOT NULL REFERENCES M_(M_CODE),"
    " C_CODE TEXT NOT NULL, C_ID TEXT NOT NULL, C_NAME TEXT NOT NULL DEFAULT '',"
    " C_SS TEXT NOT NULL DEFAULT '', C_GU TEXT NOT NULL DEFAULT '', C_MSG TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY (M_CODE, C_CODE), UNIQUE (M_CODE, C_ID))",
    "CREATE TABLE IF NOT EXISTS G_ (M_CODE TEXT NOT NULL REFERENCES M_(M_CODE),"
    " G_CODE TEXT NOT NULL, G_NAME TEXT NOT NULL DEFAULT '', G_BOX TEXT NOT NULL DEFAULT '',"
    " G_BCODE TEXT NOT NULL DEFAULT '', G_BCNT TEXT NOT NULL DEFAULT '',"
    " G_GPN1 TEXT NOT NULL DEFAULT '', G_GPN2 TEXT NOT NULL DEFAULT '',"
    " G_GPSORT1 TEXT NOT NULL DEFAULT '', G_GPSORT2 TEXT NOT NULL DEFAULT '',"
    " G_SORT TEXT NOT NULL DEFAULT '', PRIMARY KEY (M_CODE, G_CODE))",
    "CREATE INDEX IF NOT EXISTS G_SORTED ON G_ (M_CODE, G_GPSORT1, G_GPSORT2, G_SORT, G_NAME)",
    "CREATE TABLE IF NOT EXISTS U_ (M_CODE TEXT NOT NULL, U_CC TEXT NOT NULL, U_GC TEXT NOT NULL,"
    " U_DATE TEXT NOT NULL DEFAULT '', U_COST TEXT NOT NULL DEFAULT '',"
    " U_CNT TEXT NOT NULL DEFAULT '', PRIMARY KEY (M_CODE, U_CC, U_GC),"
    " FOREIGN KEY (M_CODE, U_CC) REFERENCES C_ (M_CODE, C_CODE) ON DELETE CASCADE,"
    " FOREIGN KEY (M_CODE, U_GC) REFERENCES G_ (M_CODE, G_CODE) ON DELETE CASCADE)",
    "CREATE TABLE IF NOT EXISTS OH_ (OH_CODE TEXT PRIMARY KEY, M_CODE TEXT NOT NULL,"
    " OH_SD TEXT NOT NULL DEFAULT '', OH_AT TEXT NOT NULL DEFAULT '', OH_MT TEXT NOT NULL DEFAULT '',"
    " OH_MCOUNT TEXT NOT NULL DEFAULT '', OH_DD TEXT NOT NULL DEFAULT '', OH_CC TEXT NOT NULL,"
    " OH_TYPE TEXT NOT NULL DEFAULT '', OH_IOG TEXT NOT NULL, OH_SG TEXT NOT NULL DEFAULT '0',"
    " OH_SCODE TEXT NOT NULL DEFAULT '', OH_RCOUNT TEXT NOT NULL DEFAULT '',"
    " OH_NOTE TEXT NOT NULL DEFAULT '',"
    " FOREIGN KEY (M_CODE, OH_CC) REFERENCES C_ (M_CODE, C_CODE))",
    "CREATE INDEX IF NOT EXISTS OH_LIST ON OH_ (M_CODE, OH_CC, OH_SG, OH_SD, OH_CODE)",
    "CREATE TABLE IF NOT EXISTS OL_ (OH_CODE TEXT NOT NULL REFERENCES OH_ (OH_CODE)"
    " ON DELETE CASCADE, OL_NO INTEGER NOT NULL, OL_CC TEXT NOT NULL DEFAULT '',"
    " OL_OC TEXT NOT NULL DEFAULT '', OL_GC TEXT NOT NULL DEFAULT '', OL_GN TEXT NOT NULL DEFAULT '',"
    " OL_GBOX TEXT NOT NULL DEFAULT '', OL_LC TEXT NOT NULL DEFAULT '',"
    " OL_LN TEXT NOT NULL DEFAULT '', PRIMARY KEY (OH_CODE, OL_NO))",
    "CREATE TABLE IF NOT EXISTS OA_ (OA_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
    " OA_CODE TEXT NOT NULL DEFAULT '', OA_SC TEXT NOT NULL, OA_CC TEXT NOT NULL DEFAULT '',"
    " OA_IOG TEXT NOT NULL DEFAULT '', OA_STATUS TEXT NOT NULL DEFAULT '',"
    " OA_WDATE TEXT NOT NULL DEFAULT '', OA_WTIME TEXT NOT NULL DEFAULT '',"
    " OA_RTIME TEXT NOT NULL DEFAULT '', OA_MSG TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE IF NOT EXISTS GM_ (M_CODE TEXT NOT NULL REFERENCES M_(M_CODE),"
    " GM_GC TEXT NOT NULL, GM_NO INTEGER NOT NULL, GM_NOTE TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY (M_CODE, GM_GC, GM_NO))",
    "CREATE TABLE IF NOT EXISTS CM_ (M_CODE TEXT NOT NULL REFERENCES M_(M_CODE),"
    " CM_CODE TEXT NOT NULL, CM_NAME TEXT NOT NULL DEFAULT '', PRIMARY KEY (M_CODE, CM_CODE))",
    "CREATE TABLE IF NOT EXISTS CG_ (M_CODE TEXT NOT NULL REFERENCES M_(M_CODE),"
    " CG_CODE TEXT NOT NULL, CG_NAME TEXT NOT NULL DEFAULT '', PRIMARY KEY (M_CODE, CG_CODE))",
    "CREATE TABLE IF NOT EXISTS CPN_ (CPN_ID INTEGER PRIMARY KEY,"
    " M_CODE TEXT NOT NULL REFERENCES M_(M_CODE), CPN_GROUP TEXT NOT NULL, CPN_MAKE TEXT NOT NULL,"
    " CPN_NAME TEXT NOT NULL DEFAULT '', CPN_TYPE TEXT NOT NULL DEFAULT '',"
    " CPN_POWER TEXT NOT NULL DEFAULT '', CPN_YEAR TEXT NOT NULL DEFAULT '',"
    " CPN_BODY TEXT NOT NULL DEFAULT '', CPN_GCODE TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX IF NOT EXISTS CPN_FIND ON CPN_ (M_CODE, CPN_GROUP, CPN_MAKE)",
};

}  // namespace

std::unique_ptr<Connection> Connection::Open(const std::string& path, std::string* error) {
  std::call_once(g_register, [] { Poco::Data::SQLite::Connector::registerConnector(); });
  std::unique_ptr<Connection> c(new Connection());
  if (!Guarded(error, [&] { c->session_ = std::make_unique<Poco::Data::Session>("SQLite", path); }))
    return nullptr;
  // busy_timeout first: switching to WAL needs the lock when another process
  // (an admin command) holds the file.
  for (const char* pragma : {"PRAGMA busy_timeout=10000", "PRAGMA journal_mode=WAL",
                             "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
    Rows ignored;
    if (!c->Query(pragma, {}, 1, ignored, error) && !c->Exec(pragma, {}, error)) return nullptr;
  }
  return c;
}

Connection::~Connection() = default;

bool Connection::Exec(const std::string& sql, const std::vector<std::string>& params,
                      std::string* error) {
  return Guarded(error, [&] {
    Poco::Data::Statement st(*session_);
    st << sql;
    for (const auto& p : params) st, bind(p);
    changed_ = st.execute();
  });
}

bool Connection::Query(const std::string& sql, const std::vector<std::string>& params,
                       std::size_t columns, Rows& out, std::string* error) {
  out.clear();
  return Guarded(error, [&] {
    std::vector<std::vector<std::string>> cols(columns);
    Poco::Data::Statement st(*session_);
    st << sql;
    for (const auto& p : params) st, bind(p);
    for (auto& col : cols) st, into(col);
    st.execute();
    const std::size_t n = columns ? cols[0].size() : 0;
    out.resize(n, Row(columns));
    for (std::size_t c = 0; c < columns; ++c) {
      for (std::size_t r = 0; r < n && r < cols[c].size(); ++r) out[r][c] = std::move(cols[c][r]);
    }
  });
}

bool Connection::ExecMany(const std::string& sql,
                          const std::vector<std::vector<std::string>>& columns,
                          std::string* error) {
  if (columns.empty() || columns[0].empty()) return true;
  return Guarded(error, [&] {
    // One prepared statement, run once per row with the bound values replaced.
    std::vector<std::string> values(columns.size());
    Poco::Data::Statement st(*session_);
    st << sql;
    for (auto& v : values) st, useRef(v);
    changed_ = 0;
    for (std::size_t r = 0; r < columns[0].size(); ++r) {
      for (std::size_t c = 0; c < columns.size(); ++c) values[c] = columns[c][r];
      changed_ += st.execute();
    }
  });
}

bool Connection::Begin(std::string* error) { return Exec("BEGIN IMMEDIATE", {}, error); }
bool Connection::Commit(std::string* error) { return Exec("COMMIT", {}, error); }
void Connection::Rollback() { Exec("ROLLBACK"); }

bool Connection::EnsureSchema(std::string* error) {
  for (const char* sql : kSchema) {
    if (!Exec(sql, {}, error)) return false;
  }
  return true;
}

ConnectionPool::Lease::~Lease() {
  if (!c_ || !pool_) return;
  std::lock_guard<std::mutex> lock(pool_->mutex_);
  pool_->idle_.push_back(std::move(c_));
}

ConnectionPool::Lease ConnectionPool::Acquire(std::string* error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!idle_.empty()) {
      auto c = std::move(idle_.back());
      idle_.pop_back();
      return Lease(this, std::move(c));
    }
  }
  return Lease(this, Connection::Open(path_, error));
}

}  // namespace tarvik::service
