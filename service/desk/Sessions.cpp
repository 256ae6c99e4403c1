#include "service/desk/Sessions.h"

#include <algorithm>

#include "service/desk/Audit.h"
#include "service/desk/Secrets.h"

namespace tarvik::service::desk {

namespace {

bool NowSeconds(Connection& db, long long& seconds, std::string& error) {
  Clock now;
  if (!db.Now(now, &error)) return false;
  seconds = now.utcMicros / 1000000;
  return true;
}

std::string AccountKey(const std::string& name) { return "u:" + name; }
std::string AddressKey(const std::string& address) { return "a:" + address; }

// One more failure of key; its wait from now.
bool CountFailure(Connection& db, const std::string& key, int freeFails, const LogInLimits& limits,
                  long long now, std::string& error) {
  const std::string at = std::to_string(now);
  Rows rows;
  if (!db.Exec("INSERT INTO DT_ (DT_KEY, DT_FAILS, DT_LAST, DT_UNTIL) VALUES (?, 1, ?, 0)"
               " ON CONFLICT (DT_KEY) DO UPDATE SET DT_FAILS = CASE WHEN DT_.DT_LAST < ?"
               " THEN 1 ELSE DT_.DT_FAILS + 1 END, DT_LAST = excluded.DT_LAST",
               {key, at, std::to_string(now - limits.forgetSeconds)}, &error) ||
      !db.Query("SELECT CAST(DT_FAILS AS TEXT) FROM DT_ WHERE DT_KEY = ?", {key}, 1, rows, &error))
    return false;
  const int fails = rows.empty() ? 0 : std::atoi(rows[0][0].c_str());
  long long wait = 0;
  if (fails > freeFails)
    wait = std::min(limits.maxWaitSeconds, limits.firstWaitSeconds << std::min(fails - freeFails - 1, 20));
  return db.Exec("UPDATE DT_ SET DT_UNTIL = ? WHERE DT_KEY = ?", {std::to_string(now + wait), key},
                 &error);
}

}  // namespace

bool StartSession(Connection& db, const StaffAccount& account, long long seconds,
                  std::string& token, std::string& error) {
  token = NewToken();
  if (token.empty()) {
    error = "no random source";
    return false;
  }
  return InTransaction(
      db,
      [&] {
        long long now = 0;
        return NowSeconds(db, now, error) &&
               db.Exec("DELETE FROM DT_ WHERE DT_KEY = ?", {AccountKey(account.name)}, &error) &&
               db.Exec("DELETE FROM DS_ WHERE DS_EXPIRES < ?", {std::to_string(now)}, &error) &&
               db.Exec("INSERT INTO DS_ (DS_KEY, DU_NAME, DS_EXPIRES) VALUES (?, ?, ?)",
                       {TokenKey(token), account.name, std::to_string(now + seconds)}, &error) &&
               Audit(db, account.supplier, account.name, audit::kLogIn, "", "", &error);
      },
      &error);
}

SessionFound FindSession(Connection& db, const std::string& token, StaffAccount& account,
                         std::string& error) {
  if (token.size() != NewToken().size()) return SessionFound::kNo;
  long long now = 0;
  Rows rows;
  if (!NowSeconds(db, now, error) ||
      !db.Query("SELECT U.DU_NAME, U.M_CODE, U.DU_ROLE, U.DU_MADE FROM DS_ S JOIN DU_ U"
                " ON U.DU_NAME = S.DU_NAME WHERE S.DS_KEY = ? AND S.DS_EXPIRES > ?",
                {TokenKey(token), std::to_string(now)}, 4, rows, &error))
    return SessionFound::kError;
  if (rows.empty()) return SessionFound::kNo;
  account = {rows[0][0], rows[0][1], rows[0][2], rows[0][3]};
  return SessionFound::kYes;
}

bool EndSession(Connection& db, const std::string& token, const StaffAccount& account,
                std::string& error) {
  return InTransaction(
      db,
      [&] {
        return db.Exec("DELETE FROM DS_ WHERE DS_KEY = ?", {TokenKey(token)}, &error) &&
               Audit(db, account.supplier, account.name, audit::kLogOut, "", "", &error);
      },
      &error);
}

bool WaitBeforeLogIn(Connection& db, const std::string& name, const std::string& address,
                     long long& seconds, std::string& error) {
  long long now = 0;
  Rows rows;
  if (!NowSeconds(db, now, error) ||
      !db.Query("SELECT CAST(COALESCE(MAX(DT_UNTIL), 0) AS TEXT) FROM DT_ WHERE DT_KEY IN (?, ?)",
                {AccountKey(name), AddressKey(address)}, 1, rows, &error))
    return false;
  const long long until = rows.empty() ? 0 : std::atoll(rows[0][0].c_str());
  seconds = until > now ? until - now : 0;
  return true;
}

bool NoteFailedLogIn(Connection& db, const std::string& supplier, const std::string& name,
                     const std::string& address, const LogInLimits& limits, std::string& error) {
  return InTransaction(
      db,
      [&] {
        long long now = 0;
        // Failures forgotten and waits over go, so guesses from many
        // addresses or names leave no lasting rows.
        return NowSeconds(db, now, error) &&
               db.Exec("DELETE FROM DT_ WHERE DT_LAST < ? AND DT_UNTIL < ?",
                       {std::to_string(now - limits.forgetSeconds), std::to_string(now)}, &error) &&
               CountFailure(db, AccountKey(name), limits.freeAccountFails, limits, now, error) &&
               CountFailure(db, AddressKey(address), limits.freeAddressFails, limits, now, error) &&
               Audit(db, supplier, name, audit::kLogInFailed, "", address, &error);
      },
      &error);
}

}  // namespace tarvik::service::desk
