// Order list, save, delete, open, sample registration and the supplier message.
#include <map>

#include "protocol/CommandTable.h"
#include "wire/MessageFormat.h"
#include "service/commands/Commands.h"
#include "service/commands/Conditions.h"
#include "service/commands/OrderCode.h"
#include "service/commands/OrderLines.h"

namespace tarvik::service {

namespace {

const protocol::Names& kHeaderFields = protocol::kOrderHeader;
// The same fields as columns of OH_, and their places in both.
const char* const kHeaderColumns =
    "OH_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT, OH_DD, OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE,"
    " OH_RCOUNT, OH_NOTE";

enum HeaderIndex { kCode = 0, kSd, kAt, kMt, kMcount, kDd, kCc, kType, kIog, kSg, kScode, kRcount, kNote };

// An opened order's line: the fields its save sent, then the product's own
// name and packing unit from the catalogue.
const std::vector<std::string> kOpenedLineFields = [] {
  std::vector<std::string> names(protocol::kOrderLine.begin(), protocol::kOrderLine.end());
  names.insert(names.end(), {"G_NAME", "G_BOX"});
  return names;
}();

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// The stored header of one order of this supplier; false when there is none.
bool LoadHeader(Connection& db, const std::string& supplier, const std::string& code, Row& header,
                std::string& error) {
  Rows rows;
  if (!db.Query(std::string("SELECT ") + kHeaderColumns +
                    " FROM OH_ WHERE M_CODE = ? AND OH_CODE = ?",
                {supplier, code}, kHeaderFields.size(), rows, &error))
    return false;
  if (rows.empty()) {
    error = "발주 내역이 없습니다.";
    return false;
  }
  header = rows[0];
  return true;
}

// Why a conditional write to an order matched no row.
std::string WhyUnchanged(Connection& db, const std::string& supplier, const std::string& code,
                         const std::string& cc) {
  Row stored;
  std::string error;
  if (!LoadHeader(db, supplier, code, stored, error)) return error;
  // Refusals a clerk may meet are worded for the clerk.
  if (!cc.empty() && (stored[kSg] != "0" || stored[kCc] != cc)) return "이 거래처의 발주가 아닙니다.";
  return stored[kIog] == "O" ? "거래처에서 발주가 이미 접수되었습니다." : "거래처에서 발주가 접수중입니다.";
}

}  // namespace

std::string CmdOrderList(Context& c) {
  const FieldMap where = {{"OH_CC", "OH_CC"}, {"OH_SG", "OH_SG"}, {"OH_IOG", "OH_IOG"}};
  const FieldMap order = {{"OH_SD", "OH_SD"}, {"OH_CODE", "OH_CODE"}, {"OH_AT", "OH_AT"},
                          {"OH_DD", "OH_DD"}, {"OH_IOG", "OH_IOG"}};
  std::map<std::string, std::string> terms;
  SqlFilter f;
  std::string error;
  if (!ParseWhereOption(c.req.Value("WHERE_OPTION"), where, terms, &error) ||
      !AddConditions(c.req, {}, {}, c.db.dialect(), f, &error) ||
      !SetOrderBy(c.req, order, "OH_SD DESC, OH_CODE DESC", f, &error))
    return FailureReply(error);
  // The order commands carry no log-in: the orderer's code must narrow the list.
  if (!terms.count("OH_CC")) return FailureReply("WHERE_OPTION must name OH_CC");
  f.params.push_back(c.supplier);
  for (const auto& [field, value] : terms) {
    f.where += " AND " + where.at(field) + " = ?";
    f.params.push_back(value);
  }
  return SelectReply(c.db,
                     "SELECT OH_SD, OH_AT, OH_MT, OH_IOG, OH_DD, OH_NOTE, OH_CODE, OH_MCOUNT, OH_SG,"
                     " OH_RCOUNT FROM OH_ WHERE M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params,
                     {"OH_SD", "OH_AT", "OH_MT", "OH_IOG", "OH_DD", "OH_NOTE", "OH_CODE",
                      "OH_MCOUNT", "OH_SG", "OH_RCOUNT"});
}

namespace {

// The header (in kHeaderFields' order) and the lines of an order save as its
// request gives them, checked; false with the failure reply in refusal.
bool ReadSave(const Request& req, Row& h, std::vector<Line>& lines, std::string& refusal) {
  const auto refuse = [&refusal](const std::string& why) {
    refusal = FailureReply(why);
    return false;
  };
  const std::string head = req.Value("ORDERH_DATA");
  h.clear();
  for (const char* field : kHeaderFields) h.push_back(TagValue(field, head));
  if (!req.Has("ORDERH_DATA") || !req.Has("ORDERL_DATA")) return refuse("no order");
  if (h[kCc].empty()) return refuse("no OH_CC");
  if (h[kIog] != "A" && h[kIog] != "X") return refuse("OH_IOG must be A or X");
  if (!h[kSg].empty() && h[kSg] != "0") return refuse("an order is saved with OH_SG 0");
  // The client lets a delivery date of only blanks pass as "no date" and
  // sends it as typed: it is stored as the empty date it stands for.
  if (h[kDd].find_first_not_of(' ') == std::string::npos) h[kDd].clear();
  if (!h[kDd].empty() && (h[kDd].size() != 6 || !AllDigits(h[kDd])))
    return refuse("OH_DD must be yymmdd");
  for (const auto& v : h) {
    if (v.size() > 400) return refuse("header field too long");
  }
  std::string error;
  if (!ReadLines(req.Value("ORDERL_DATA"), h[kCc], lines, error)) return refuse(error);
  if (lines.empty()) return refuse("an order without lines");
  if (h[kRcount] != std::to_string(lines.size()))
    return refuse("OH_RCOUNT differs from the number of lines");
  return true;
}

}  // namespace

std::string CmdOrderSave(Context& c) {
  Row h;
  std::vector<Line> lines;
  std::string error;
  if (!ReadSave(c.req, h, lines, error)) return error;
  const std::string mcount = AllDigits(h[kMcount]) && h[kMcount].size() < 6 ? h[kMcount] : "1";

  std::string code = h[kCode];
  std::string sd, at;
  Clock now;
  const bool ok = WriteTransaction(
      c,
      [&] {
        if (!CheckOrderable(c.db, c.supplier, h[kCc], lines, error) || !c.db.Now(now, &error))
          return false;
        if (code.empty()) {
          code = NewOrderCode(now.utcMicros);
          sd = now.date;
          at = now.hhmm;
          return c.db.Exec("INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT,"
                           " OH_DD, OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE, OH_RCOUNT, OH_NOTE)"
                           " VALUES (?, ?, ?, ?, '', ?, ?, ?, ?, ?, '0', ?, ?, ?)",
                           {code, c.supplier, sd, at, mcount, h[kDd], h[kCc], h[kType], h[kIog],
                            h[kScode], h[kRcount], h[kNote]},
                           &error) &&
                 InsertLines(c.db, code, h[kCc], lines, error);
        }
        // The status is checked by the statement that writes: a supplier
        // marking the order at the same moment either comes first (no row
        // matches) or waits until this transaction ends.
        if (!c.db.Exec("UPDATE OH_ SET OH_MT = ?, OH_MCOUNT = ?, OH_DD = ?, OH_TYPE = ?,"
                       " OH_IOG = ?, OH_SCODE = ?, OH_RCOUNT = ?, OH_NOTE = ? WHERE M_CODE = ?"
                       " AND OH_CODE = ? AND OH_CC = ? AND OH_SG = '0' AND OH_IOG IN ('A', 'X')",
                       {now.hhmm, mcount, h[kDd], h[kType], h[kIog], h[kScode], h[kRcount],
                        h[kNote], c.supplier, code, h[kCc]},
                       &error))
          return false;
        if (c.db.Changed() != 1) {
          error = WhyUnchanged(c.db, c.supplier, code, h[kCc]);
          return false;
        }
        Row stored;
        if (!LoadHeader(c.db, c.supplier, code, stored, error)) return false;
        sd = stored[kSd];
        at = stored[kAt];
        return c.db.Exec("DELETE FROM OL_ WHERE OH_CODE = ?", {code}, &error) &&
               InsertLines(c.db, code, h[kCc], lines, error);
      },
      error);
  if (!ok) return FailureReply(error);
  return SuccessReply(MakeTag("OH_CODE", code) + MakeTag("OH_SD", sd) + MakeTag("OH_AT", at));
}

std::string CmdOrderDelete(Context& c) {
  const std::string code = c.req.Value("OH_CODE");
  if (code.empty()) return FailureReply("no OH_CODE");
  std::string error;
  // One statement checks and deletes; the lines go with the header (cascade).
  const bool ok = WriteTransaction(
      c,
      [&] {
        if (!c.db.Exec("DELETE FROM OH_ WHERE M_CODE = ? AND OH_CODE = ? AND OH_IOG IN ('A', 'X')",
                       {c.supplier, code}, &error))
          return false;
        if (c.db.Changed() == 1) return true;
        error = WhyUnchanged(c.db, c.supplier, code, std::string());
        return false;
      },
      error);
  return ok ? SuccessReply() : FailureReply(error);
}

std::string CmdOrderOpen(Context& c) {
  const std::string code = c.req.Value("OH_CODE");
  if (code.empty()) return FailureReply("no OH_CODE");
  std::string error;
  Row header;
  Rows lines;
  // One read transaction, so header and lines are of the same moment.
  if (!c.db.BeginRead(&error)) return FailureReply(error);
  const bool ok =
      LoadHeader(c.db, c.supplier, code, header, error) &&
      c.db.Query("SELECT L.OL_NO, L.OL_CC, L.OL_OC, L.OL_GC, L.OL_GN, L.OL_GBOX, L.OL_LC, L.OL_LN,"
                 " COALESCE(G.G_NAME, ''), COALESCE(G.G_BOX, '') FROM OL_ L JOIN OH_ H"
                 " ON H.OH_CODE = L.OH_CODE LEFT JOIN G_ G ON L.OL_GC <> 'YZ'"
                 " AND G.M_CODE = H.M_CODE AND G.G_CODE = L.OL_GC WHERE L.OH_CODE = ?"
                 " ORDER BY L.OL_NO",
                 {code}, 10, lines, &error);
  c.db.Rollback();  // nothing was written
  if (!ok) return FailureReply(error);
  const std::string head = protocol::Elements(kHeaderFields, header);
  ReplyBuilder body;
  for (const auto& l : lines) body.AddRecord(kOpenedLineFields, l);
  // The lines sit inside ORDERL_DATA; the count outside says how many there are.
  return SuccessReply(MakeTag("RESULT_RECORD_COUNT", std::to_string(body.Count())) +
                      MakeTag("ORDERH_DATA", head) + MakeTag("ORDERL_DATA", body.Records()));
}

std::string CmdOrderSample(Context& c) {
  const std::string code = c.req.Value("OH_CODE");
  const std::string head = c.req.Value("ORDERH_DATA");
  if (code.empty()) return FailureReply("no OH_CODE");
  const std::string headCode = TagValue("OH_CODE", head);
  const std::string headSg = TagValue("OH_SG", head);
  if ((!headCode.empty() && headCode != code) || (!headSg.empty() && headSg != "1"))
    return FailureReply("ORDERH_DATA does not ask for a sample of this order");
  std::string error, copy;
  const bool ok = WriteTransaction(
      c,
      [&] {
        // The original is held while it is copied, so a re-send cannot land
        // between the copy of its header and the copy of its lines.
        Rows rows;
        Clock now;
        if (!c.db.Query(std::string("SELECT OH_CODE FROM OH_ WHERE M_CODE = ? AND OH_CODE = ?") +
                            c.db.dialect().LockShared(),
                        {c.supplier, code}, 1, rows, &error) ||
            !c.db.Now(now, &error))
          return false;
        if (rows.empty()) {
          error = "발주 내역이 없습니다.";
          return false;
        }
        copy = NewOrderCode(now.utcMicros);
        return c.db.Exec("INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT, OH_DD,"
                         " OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE, OH_RCOUNT, OH_NOTE)"
                         " SELECT CAST(? AS TEXT), M_CODE, CAST(? AS TEXT), CAST(? AS TEXT), '',"
                         " OH_MCOUNT, OH_DD, OH_CC, OH_TYPE, OH_IOG, '1', OH_CODE, OH_RCOUNT,"
                         " OH_NOTE FROM OH_ WHERE OH_CODE = ?",
                         {copy, now.date, now.hhmm, code}, &error) &&
               c.db.Exec("INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_OC, OL_GC, OL_GN, OL_GBOX,"
                         " OL_LC, OL_LN) SELECT CAST(? AS TEXT), OL_NO, OL_CC, OL_OC, OL_GC, OL_GN,"
                         " OL_GBOX, OL_LC, OL_LN FROM OL_ WHERE OH_CODE = ?",
                         {copy, code}, &error);
      },
      error);
  return ok ? SuccessReply(MakeTag("OH_CODE", copy)) : FailureReply(error);
}

std::string CmdOrderAuth(Context& c) {
  const Request& r = c.req;
  const std::string sc = r.Value("OA_SC"), cc = r.Value("OA_CC");
  if (sc.empty() || cc.empty()) return FailureReply("OA_SC and OA_CC are needed");
  std::string error, code;
  const bool ok = WriteTransaction(
      c,
      [&] {
        Rows rows;
        Clock now;
        if (!c.db.Query("SELECT C_CODE FROM C_ WHERE M_CODE = ? AND C_CODE = ?", {sc, cc}, 1,
                        rows, &error) ||
            !c.db.Now(now, &error))
          return false;
        if (rows.empty()) {
          error = "unknown supplier or orderer";
          return false;
        }
        code = NewOrderCode(now.utcMicros);
        return c.db.Exec("INSERT INTO OA_ (OA_CODE, OA_SC, OA_CC, OA_IOG, OA_STATUS, OA_WDATE,"
                         " OA_WTIME, OA_RTIME, OA_MSG) VALUES (?, ?, ?, ?, ?, ?, ?, '', ?)",
                         {code, sc, cc, r.Value("OA_IOG"), r.Value("OA_STATUS"), now.date,
                          now.hhmm, r.Value("OA_MSG")},
                         &error);
      },
      error);
  return ok ? SuccessReply(MakeTag("OA_CODE", code)) : FailureReply(error);
}

}  // namespace tarvik::service
