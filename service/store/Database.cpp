#include "service/store/Database.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <iterator>
#include <mutex>

#include "service/store/DatabaseLink.h"
#include "service/store/Migrations.h"

namespace tarvik::service {

namespace {

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

}  // namespace

// Idle connections and a count of the open ones, shared by the connections
// handed out so that they can come back after the Database is gone.
class Pool {
 public:
  Pool(const DbTarget& target, const Dialect& dialect, std::size_t max, const DbLimits& limits)
      : target_(target), dialect_(dialect), max_(max), limits_(limits) {}

  std::unique_ptr<Link> Take(std::string* error) {
    using Clock = std::chrono::steady_clock;
    bool probe = false;
    {
      std::lock_guard lock(mutex_);
      while (!idle_.empty()) {
        std::unique_ptr<Link> link = std::move(idle_.back());
        idle_.pop_back();
        if (link->Reusable()) return link;
        --open_;
      }
      if (open_ >= max_) {
        SetError(error, "all " + std::to_string(max_) + " database connections are in use");
        ++errors;
        return nullptr;
      }
      // Out of reach: one caller tries again at a time, the others fail at once.
      if (failing_ && (probing_ || Clock::now() < failedAt_ + kRetryPause)) {
        SetError(error, lastError_);
        ++errors;
        return nullptr;
      }
      probe = probing_ = failing_;
      ++open_;
    }
    std::string why;
    std::unique_ptr<Link> link = OpenLink(target_, dialect_, limits_, &why);
    std::lock_guard lock(mutex_);
    if (probe) probing_ = false;
    failing_ = !link;
    if (!link) {
      SetError(error, why);
      lastError_ = why;
      failedAt_ = Clock::now();
      ++errors;
      --open_;
    }
    return link;
  }

  // A failed statement of a pooled connection (for the metrics).
  bool Counted(bool ok, const std::string* error) {
    if (!ok && error) ++errors;
    return ok;
  }

  std::atomic<std::uint64_t> errors{0};

  void Give(std::unique_ptr<Link> link) {
    const bool keep = link->Reusable();
    std::lock_guard lock(mutex_);
    if (keep) {
      idle_.push_back(std::move(link));
    } else {
      --open_;
    }
  }

 private:
  static constexpr std::chrono::milliseconds kRetryPause{500};
  const DbTarget target_;
  const Dialect dialect_;
  const std::size_t max_;
  const DbLimits limits_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Link>> idle_;
  std::size_t open_ = 0;
  bool failing_ = false, probing_ = false;  // the last connect failed; one is being tried
  std::chrono::steady_clock::time_point failedAt_;
  std::string lastError_;
};

Connection::Connection(const Dialect& dialect, std::unique_ptr<Link> link,
                       std::shared_ptr<Pool> pool)
    : dialect_(dialect), link_(std::move(link)), pool_(std::move(pool)) {}

Connection::~Connection() {
  if (inTransaction_) Rollback();
  if (pool_) pool_->Give(std::move(link_));
}

namespace {

std::vector<const std::string*> Pointers(const std::vector<std::string>& params) {
  std::vector<const std::string*> out;
  out.reserve(params.size());
  for (const auto& p : params) out.push_back(&p);
  return out;
}

}  // namespace

bool Connection::Exec(const std::string& sql, const std::vector<std::string>& params,
                      std::string* error) {
  const bool ok = link_->Run(sql, Pointers(params), 0, nullptr, changed_, error);
  return pool_ ? pool_->Counted(ok, error) : ok;
}

bool Connection::Query(const std::string& sql, const std::vector<std::string>& params,
                       std::size_t columns, Rows& out, std::string* error) {
  out.clear();
  std::size_t changed = 0;
  const bool ok = link_->Run(sql, Pointers(params), columns, &out, changed, error);
  return pool_ ? pool_->Counted(ok, error) : ok;
}

bool Connection::ExecMany(const std::string& sql,
                          const std::vector<std::vector<std::string>>& columns,
                          std::string* error) {
  changed_ = 0;
  if (columns.empty()) return true;
  std::vector<const std::string*> row(columns.size());
  for (std::size_t r = 0; r < columns[0].size(); ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) row[c] = &columns[c][r];
    std::size_t changed = 0;
    if (!link_->Run(sql, row, 0, nullptr, changed, error))
      return pool_ ? pool_->Counted(false, error) : false;
    changed_ += changed;
  }
  return true;
}

bool Connection::BeginWrite(std::string* error) {
  inTransaction_ = Exec(dialect_.BeginWrite(), {}, error);
  return inTransaction_;
}

bool Connection::BeginRead(std::string* error) {
  inTransaction_ = Exec(dialect_.BeginRead(), {}, error);
  return inTransaction_;
}

CommitOutcome Connection::Commit(std::string* error) {
  const CommitOutcome outcome = link_->Commit(error);
  if (outcome != CommitOutcome::kStored) {
    if (pool_) pool_->Counted(false, error);
    return outcome;
  }
  inTransaction_ = false;
  return outcome;
}

void Connection::Rollback() {
  Exec("ROLLBACK");
  inTransaction_ = false;
}

bool Connection::EnsureSchema(std::string* error) {
  // The recorded step says whether there is anything to do. Looking first
  // keeps a running database free of the locks CREATE INDEX takes even when
  // the index exists.
  if (RecordedSchemaVersion(*this) >= LatestSchemaVersion()) return true;
  return InTransaction(
      *this,
      [&] {
        // Two PostgreSQL instances starting at once would race on the catalog;
        // SQLite's writing transaction already holds the file. The second to
        // come finds the steps recorded and applies none.
        if (dialect_.backend() == Backend::PostgreSQL &&
            !Exec("SELECT pg_advisory_xact_lock(72617669)", {}, error))
          return false;
        return ApplyMigrations(*this, kSchema, std::size(kSchema), error);
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

Database::Database(const DbTarget& target, std::size_t maxSessions, const DbLimits& limits)
    : target_(target),
      dialect_(target.backend),
      pool_(std::make_shared<Pool>(target, dialect_, maxSessions, limits)) {}

Database::~Database() = default;

std::unique_ptr<Database> Database::Open(const std::string& db, std::size_t maxSessions,
                                         std::string* error, const DbLimits& limits) {
  DbTarget target;
  if (!ParseDbTarget(db, target, error)) return nullptr;
  std::unique_ptr<Database> d(new Database(target, maxSessions < 1 ? 1 : maxSessions, limits));
  if (!d->Acquire(error)) return nullptr;
  return d;
}

std::uint64_t Database::Errors() const { return pool_->errors; }

std::unique_ptr<Connection> Database::Acquire(std::string* error) {
  std::unique_ptr<Link> link = pool_->Take(error);
  if (!link) return nullptr;
  return std::unique_ptr<Connection>(new Connection(dialect_, std::move(link), pool_));
}

}  // namespace tarvik::service
