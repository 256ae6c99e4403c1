#include "service/store/Migrations.h"

#include <cstdlib>
#include <vector>

#include "service/store/DatabaseLink.h"

namespace tarvik::service {

namespace {

struct Step {
  int version;
  std::vector<const char*> statements;
};

// Steps after the first, oldest first. A step's statements are written with
// IF NOT EXISTS all the same: a step cut short by a crash is rolled back
// whole, but a hand-made table of the same name must not stop a start.
const std::vector<Step>& LaterSteps() {
  static const std::vector<Step> steps = {
      // The order desk: its staff, their sessions, the log-in throttle and
      // the audit of every change made at the desk; and the indexes of its
      // inbox, search and messages.
      {2,
       {"CREATE TABLE IF NOT EXISTS DU_ (DU_NAME TEXT PRIMARY KEY,"
        " M_CODE TEXT NOT NULL REFERENCES M_(M_CODE), DU_ROLE TEXT NOT NULL,"
        " DU_HASH TEXT NOT NULL, DU_MADE TEXT NOT NULL DEFAULT '')",
        "CREATE TABLE IF NOT EXISTS DS_ (DS_KEY TEXT PRIMARY KEY,"
        " DU_NAME TEXT NOT NULL REFERENCES DU_(DU_NAME) ON DELETE CASCADE,"
        " DS_EXPIRES BIGINT NOT NULL)",
        "CREATE INDEX IF NOT EXISTS DS_BY_USER ON DS_ (DU_NAME)",
        "CREATE TABLE IF NOT EXISTS DT_ (DT_KEY TEXT PRIMARY KEY, DT_FAILS INTEGER NOT NULL,"
        " DT_LAST BIGINT NOT NULL, DT_UNTIL BIGINT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS DA_ (DA_ID AUTO_ID, DA_WHEN TEXT NOT NULL,"
        " M_CODE TEXT NOT NULL, DA_WHO TEXT NOT NULL, DA_WHAT TEXT NOT NULL, DA_ORDER TEXT NOT NULL DEFAULT '',"
        " DA_DETAIL TEXT NOT NULL DEFAULT '')",
        "CREATE INDEX IF NOT EXISTS DA_BY_ORDER ON DA_ (DA_ORDER, DA_ID)",
        "CREATE INDEX IF NOT EXISTS DA_BY_SUPPLIER ON DA_ (M_CODE, DA_ID)",
        "CREATE INDEX IF NOT EXISTS OH_DESK ON OH_ (M_CODE, OH_SG, OH_IOG, OH_CODE)",
        "CREATE INDEX IF NOT EXISTS OH_DAYS ON OH_ (M_CODE, OH_SG, OH_SD, OH_CODE)",
        "CREATE INDEX IF NOT EXISTS OH_SHOP ON OH_ (M_CODE, OH_CC, OH_SG, OH_CODE)",
        "CREATE INDEX IF NOT EXISTS OL_GOODS ON OL_ (OL_GC, OH_CODE)",
        "CREATE INDEX IF NOT EXISTS OA_SHOP ON OA_ (OA_SC, OA_CC, OA_CODE)",
        "CREATE INDEX IF NOT EXISTS OA_UNREAD ON OA_ (OA_SC, OA_RTIME, OA_CODE)",
        "CREATE INDEX IF NOT EXISTS OA_TIME ON OA_ (OA_SC, OA_CODE)"}},
  };
  return steps;
}

bool Record(Connection& db, int version, std::string* error) {
  Clock now;
  return db.Now(now, error) &&
         db.Exec("INSERT INTO SV_ (SV_VERSION, SV_APPLIED) VALUES (?, ?)",
                 {std::to_string(version), now.date + now.hhmmss}, error);
}

bool RunAll(Connection& db, const std::vector<const char*>& statements, std::string* error) {
  for (const char* sql : statements) {
    if (!db.Exec(db.dialect().Schema(sql), {}, error)) return false;
  }
  return true;
}

}  // namespace

int LatestSchemaVersion() { return LaterSteps().back().version; }

int RecordedSchemaVersion(Connection& db) {
  Rows rows;
  // No error text asked for: on an older database the table is missing,
  // which is no failure of the pool.
  if (!db.Query("SELECT CAST(COALESCE(MAX(SV_VERSION), 0) AS TEXT) FROM SV_", {}, 1, rows) ||
      rows.empty())
    return 0;
  return std::atoi(rows[0][0].c_str());
}

bool ApplyMigrations(Connection& db, const char* const* base, std::size_t baseCount,
                     std::string* error) {
  if (!db.Exec(db.dialect().Schema("CREATE TABLE IF NOT EXISTS SV_ (SV_VERSION INTEGER PRIMARY KEY,"
                                   " SV_APPLIED TEXT NOT NULL)"),
               {}, error))
    return false;
  const int recorded = RecordedSchemaVersion(db);
  if (recorded < 1) {
    if (!RunAll(db, std::vector<const char*>(base, base + baseCount), error) || !Record(db, 1, error))
      return false;
  }
  for (const Step& step : LaterSteps()) {
    if (step.version <= recorded) continue;
    if (!RunAll(db, step.statements, error) || !Record(db, step.version, error)) return false;
  }
  return true;
}

}  // namespace tarvik::service
