#include "service/Database.h"

#include <Poco/Data/PostgreSQL/Connector.h>
#include <Poco/Data/SQLite/Connector.h>
#include <Poco/Data/Session.h>
#include <Poco/Data/SessionPool.h>
#include <Poco/Data/Statement.h>
#include <Poco/Exception.h>

#include <exception>
#include <mutex>

using namespace Poco::Data::Keywords;

namespace tarvik::service {

namespace {

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

void Run(Poco::Data::Session& s, const std::string& sql) {
  Poco::Data::Statement st(s);
  st << sql;
  st.execute();
}

// Every text column; the client reads every field as text anyway. Codes are
// unique per supplier (M_CODE), order codes everywhere. Written for both
// databases: Dialect::Schema() adds what PostgreSQL needs.
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
    "CREATE TABLE IF NOT EXISTS OA_ (OA_ID AUTO_ID,"
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
    "CREATE TABLE IF NOT EXISTS CPN_ (CPN_ID AUTO_ID,"
    " M_CODE TEXT NOT NULL REFERENCES M_(M_CODE), CPN_GROUP TEXT NOT NULL, CPN_MAKE TEXT NOT NULL,"
    " CPN_NAME TEXT NOT NULL DEFAULT '', CPN_TYPE TEXT NOT NULL DEFAULT '',"
    " CPN_POWER TEXT NOT NULL DEFAULT '', CPN_YEAR TEXT NOT NULL DEFAULT '',"
    " CPN_BODY TEXT NOT NULL DEFAULT '', CPN_GCODE TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX IF NOT EXISTS CPN_FIND ON CPN_ (M_CODE, CPN_GROUP, CPN_MAKE)",
    // A supplier's catalogue version, raised by every write to its catalogue
    // (products, prices, notes, notices): the key of the reply cache.
    "CREATE TABLE IF NOT EXISTS CV_ (M_CODE TEXT PRIMARY KEY, CV_VERSION INTEGER NOT NULL)",
};

// Sets up a new session the way the service relies on.
void SetUpSession(Poco::Data::Session& s, Backend backend) {
  if (backend == Backend::PostgreSQL) {
    // Bounded waits for a row another instance holds; UTF-8 whatever the
    // server's default.
    Run(s, "SET client_encoding = 'UTF8'");
    Run(s, "SET lock_timeout = '10s'");
    Run(s, "SET client_min_messages = warning");  // not "already exists, skipping"
    return;
  }
  // busy_timeout first: switching to WAL needs the lock when another process
  // holds the file. Some pragmas answer with a row, some do not.
  for (const char* pragma : {"PRAGMA busy_timeout=10000", "PRAGMA journal_mode=WAL",
                             "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
    std::vector<std::string> ignored;
    Poco::Data::Statement st(s);
    st << pragma, into(ignored);
    st.execute();
  }
}

}  // namespace

class Pool : public Poco::Data::SessionPool {
 public:
  Pool(const DbTarget& target, int maxSessions)
      : SessionPool(target.connector, target.connectionString, 1, maxSessions, 60),
        backend_(target.backend) {}

 protected:
  void customizeSession(Poco::Data::Session& s) override { SetUpSession(s, backend_); }

 private:
  Backend backend_;
};

Connection::Connection(const Dialect& dialect, std::unique_ptr<Poco::Data::Session> session)
    : dialect_(dialect), session_(std::move(session)) {}

Connection::~Connection() {
  if (inTransaction_) Rollback();
}

bool Connection::Exec(const std::string& sql, const std::vector<std::string>& params,
                      std::string* error) {
  return Guarded(error, [&] {
    Poco::Data::Statement st(*session_);
    st << dialect_.Prepare(sql);
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
    st << dialect_.Prepare(sql);
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
  changed_ = 0;
  if (columns.empty() || columns[0].empty()) return true;
  return Guarded(error, [&] {
    // A statement of its own for every row: Poco's PostgreSQL connector frees
    // the result of a failed run twice when the statement ran before (a
    // connection lost between two rows aborted the whole service).
    const std::string text = dialect_.Prepare(sql);
    for (std::size_t r = 0; r < columns[0].size(); ++r) {
      Poco::Data::Statement st(*session_);
      st << text;
      for (std::size_t c = 0; c < columns.size(); ++c) st, bind(columns[c][r]);
      changed_ += st.execute();
    }
  });
}

bool Connection::BeginWrite(std::string* error) {
  inTransaction_ = Exec(dialect_.BeginWrite(), {}, error);
  return inTransaction_;
}

bool Connection::BeginRead(std::string* error) {
  inTransaction_ = Exec(dialect_.BeginRead(), {}, error);
  return inTransaction_;
}

bool Connection::Commit(std::string* error) {
  if (!Exec("COMMIT", {}, error)) return false;
  inTransaction_ = false;
  return true;
}

void Connection::Rollback() {
  Exec("ROLLBACK");
  inTransaction_ = false;
}

bool Connection::EnsureSchema(std::string* error) {
  // The newest table stands for a whole schema. Looking first keeps a running
  // database free of the locks CREATE INDEX takes even when the index exists.
  if (Exec("SELECT 1 FROM CV_ WHERE 1 = 0")) return true;
  return InTransaction(
      *this,
      [&] {
        // Two PostgreSQL instances starting at once would race on the catalog.
        if (dialect_.backend() == Backend::PostgreSQL &&
            !Exec("SELECT pg_advisory_xact_lock(72617669)", {}, error))
          return false;
        for (const char* sql : kSchema) {
          if (!Exec(dialect_.Schema(sql), {}, error)) return false;
        }
        return true;
      },
      error);
}

bool Connection::Now(Clock& out, std::string* error) {
  Rows rows;
  if (!Query(dialect_.Now(), {}, 2, rows, error)) return false;
  if (rows.empty() || rows[0][0].size() != 14) {
    SetError(error, "the database gave no time");
    return false;
  }
  const std::string& t = rows[0][0];  // yyyymmddHHMMSS
  out.date = t.substr(2, 6);
  out.hhmm = t.substr(8, 4);
  out.hhmmss = t.substr(8, 6);
  try {
    out.utcMicros = std::stoll(rows[0][1]);
  } catch (const std::exception&) {
    SetError(error, "the database gave no time");
    return false;
  }
  return true;
}

Database::Database(const DbTarget& target, std::size_t maxSessions)
    : target_(target),
      dialect_(target.backend),
      pool_(new Pool(target, static_cast<int>(maxSessions))) {}

Database::~Database() {
  pool_->shutdown();
  pool_->release();
}

std::unique_ptr<Database> Database::Open(const std::string& db, std::size_t maxSessions,
                                         std::string* error) {
  static std::once_flag registered;
  std::call_once(registered, [] {
    Poco::Data::SQLite::Connector::registerConnector();
    Poco::Data::PostgreSQL::Connector::registerConnector();
  });
  DbTarget target;
  if (!ParseDbTarget(db, target, error)) return nullptr;
  std::unique_ptr<Database> d(new Database(target, maxSessions < 1 ? 1 : maxSessions));
  if (!d->Acquire(error)) return nullptr;
  return d;
}

std::unique_ptr<Connection> Database::Connect(std::string* error) {
  std::unique_ptr<Connection> c;
  Guarded(error, [&] {
    auto session = std::make_unique<Poco::Data::Session>(target_.connector, target_.connectionString);
    SetUpSession(*session, target_.backend);
    c.reset(new Connection(dialect_, std::move(session)));
  });
  return c;
}

std::unique_ptr<Connection> Database::Acquire(std::string* error) {
  std::unique_ptr<Connection> c;
  Guarded(error, [&] {
    c.reset(new Connection(dialect_, std::make_unique<Poco::Data::Session>(pool_->get())));
  });
  return c;
}

}  // namespace tarvik::service
