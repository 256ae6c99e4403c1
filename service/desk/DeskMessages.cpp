// The shops' messages to the supplier as the desk reads and marks them.
#include "service/desk/Audit.h"
#include "service/desk/DeskStore.h"

namespace tarvik::service::desk {

namespace {

// A message with its shop's name and the order it came with (the shop's
// order sent last before it).
const char kMessage[] =
    "SELECT CAST(A.OA_ID AS TEXT), A.OA_CODE, A.OA_CC, COALESCE(C.C_NAME, ''), A.OA_WDATE,"
    " A.OA_WTIME, A.OA_RTIME, A.OA_MSG, COALESCE((SELECT MAX(N.OH_CODE) FROM OH_ N"
    " WHERE N.M_CODE = A.OA_SC AND N.OH_CC = A.OA_CC AND N.OH_SG = '0' AND N.OH_CODE < A.OA_CODE), '')"
    " FROM OA_ A LEFT JOIN C_ C ON C.M_CODE = A.OA_SC AND C.C_CODE = A.OA_CC";

Message ToMessage(const Row& r) {
  return {r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8]};
}

// "읽음" as the database's date and time: yymmddHHMM.
bool ReadStamp(Connection& db, std::string& stamp, std::string& error) {
  Clock now;
  if (!db.Now(now, &error)) return false;
  stamp = now.date + now.hhmm;
  return true;
}

}  // namespace

bool ReadOrderMessages(Connection& db, const std::string& supplier, OrderView& view,
                       std::string& error) {
  const OrderRow& o = view.head;
  Rows next, rows;
  if (!db.Query("SELECT COALESCE(MIN(OH_CODE), '~') FROM OH_ WHERE M_CODE = ? AND OH_CC = ?"
                " AND OH_SG = '0' AND OH_CODE > ?",
                {supplier, o.shop, o.code}, 1, next, &error))
    return false;
  view.nextOrder = next.empty() ? "~" : next[0][0];
  if (!db.Query(std::string(kMessage) +
                    " WHERE A.OA_SC = ? AND A.OA_CC = ? AND A.OA_CODE > ? AND A.OA_CODE < ?"
                    " ORDER BY A.OA_CODE",
                {supplier, o.shop, o.code, view.nextOrder}, 9, rows, &error))
    return false;
  view.messages.clear();
  for (const auto& r : rows) view.messages.push_back(ToMessage(r));
  return true;
}

bool MarkOrderRead(Connection& db, const std::string& supplier, const OrderView& view,
                   const std::string& who, std::string& error) {
  bool unread = false;
  for (const auto& m : view.messages) unread = unread || m.read.empty();
  if (!unread) return true;  // a page view writes nothing when there is nothing to record
  return InTransaction(
      db,
      [&] {
        std::string stamp;
        if (!ReadStamp(db, stamp, error) ||
            !db.Exec("UPDATE OA_ SET OA_RTIME = ? WHERE OA_SC = ? AND OA_CC = ? AND OA_CODE > ?"
                     " AND OA_CODE < ? AND OA_RTIME = ''",
                     {stamp, supplier, view.head.shop, view.head.code, view.nextOrder}, &error))
          return false;
        return db.Changed() == 0 ||
               Audit(db, supplier, who, audit::kRead, view.head.code, "", &error);
      },
      &error);
}

bool ReadMessages(Connection& db, const std::string& supplier, int page,
                  std::vector<Message>& unread, std::vector<Message>& read, bool& more,
                  std::string& error) {
  Rows fresh, ids, old;
  if (!db.BeginRead(&error)) return false;
  // The read ones' page by their keys first: PostgreSQL would work out the
  // subquery of every row an OFFSET skips.
  bool ok = db.Query(std::string(kMessage) +
                         " WHERE A.OA_SC = ? AND A.OA_RTIME = '' ORDER BY A.OA_CODE DESC LIMIT 200",
                     {supplier}, 9, fresh, &error) &&
            db.Query("SELECT CAST(OA_ID AS TEXT) FROM OA_ WHERE OA_SC = ? AND OA_RTIME <> ''"
                     " ORDER BY OA_CODE DESC LIMIT " + std::to_string(kPageRows + 1) +
                         " OFFSET " + std::to_string(page * kPageRows),
                     {supplier}, 1, ids, &error);
  if (ok && !ids.empty()) {
    std::string in;
    std::vector<std::string> keys;
    for (const auto& r : ids) {
      in += keys.empty() ? "?" : ", ?";
      keys.push_back(r[0]);
    }
    ok = db.Query(std::string(kMessage) + " WHERE A.OA_ID IN (" + in + ") ORDER BY A.OA_CODE DESC", keys, 9,
                  old, &error);
  }
  db.Rollback();  // nothing was written
  if (!ok) return false;
  unread.clear();
  read.clear();
  for (const auto& r : fresh) unread.push_back(ToMessage(r));
  for (const auto& r : old) read.push_back(ToMessage(r));
  more = read.size() > static_cast<std::size_t>(kPageRows);
  if (more) read.pop_back();
  return true;
}

bool MarkMessageRead(Connection& db, const std::string& supplier, const std::string& id,
                     const std::string& who, std::string& error) {
  if (id.empty() || id.size() > 18 || id.find_first_not_of("0123456789") != std::string::npos) {
    error = "메시지가 없습니다.";
    return false;
  }
  return InTransaction(
      db,
      [&] {
        std::string stamp;
        if (!ReadStamp(db, stamp, error) ||
            !db.Exec("UPDATE OA_ SET OA_RTIME = ? WHERE OA_ID = ? AND OA_SC = ? AND OA_RTIME = ''",
                     {stamp, id, supplier}, &error))
          return false;
        return db.Changed() == 0 ||
               Audit(db, supplier, who, audit::kMessageRead, "", id, &error);
      },
      &error);
}

std::string SupplierName(Connection& db, const std::string& supplier) {
  Rows rows;
  std::string error;
  if (!db.Query("SELECT CASE WHEN M_BIGO = '' THEN M_ID ELSE M_BIGO END FROM M_ WHERE M_CODE = ?",
                {supplier}, 1, rows, &error) ||
      rows.empty())
    return supplier;
  return rows[0][0];
}

}  // namespace tarvik::service::desk
