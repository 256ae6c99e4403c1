// Order list, save, delete, open, sample registration and the supplier message.
#include <map>

#include "net/MessageFormat.h"
#include "service/Commands.h"
#include "service/Conditions.h"
#include "service/OrderCode.h"

namespace tarvik::service {

namespace {

constexpr std::size_t kMaxLines = 99;

const std::vector<std::string> kHeaderFields = {"OH_CODE", "OH_SD",  "OH_AT",    "OH_MT",
                                                "OH_MCOUNT", "OH_DD", "OH_CC",   "OH_TYPE",
                                                "OH_IOG",  "OH_SG",  "OH_SCODE", "OH_RCOUNT",
                                                "OH_NOTE"};
const char* const kHeaderColumns =
    "OH_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT, OH_DD, OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE,"
    " OH_RCOUNT, OH_NOTE";

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

struct Line {
  std::string gc, gn, gbox, lc, ln;
};

// The lines of an ORDERL_DATA value: OLD_0 ... OLD_n-1 in order, nothing else.
bool ReadLines(const std::string& text, const std::string& cc, std::vector<Line>& lines,
               std::string& error) {
  std::vector<Element> els;
  if (!ScanElements(text, els, kMaxLines + 1, &error)) {
    if (error == "too many elements") error = "more than 99 lines";
    return false;
  }
  if (els.size() > kMaxLines) {
    error = "more than 99 lines";
    return false;
  }
  for (std::size_t i = 0; i < els.size(); ++i) {
    if (els[i].name != "OLD_" + std::to_string(i)) {
      error = "line records must be OLD_0, OLD_1, ... in order";
      return false;
    }
    const std::string& r = els[i].value;
    Line l{TagValue("OL_GC", r), TagValue("OL_GN", r), TagValue("OL_GBOX", r),
           TagValue("OL_LC", r), TagValue("OL_LN", r)};
    const std::string lineCc = TagValue("OL_CC", r);
    if (l.gc.empty()) {
      error = "a line without OL_GC";
      return false;
    }
    if (!lineCc.empty() && lineCc != cc) {
      error = "a line of another orderer";
      return false;
    }
    for (const std::string* s : {&l.gc, &l.gn, &l.gbox, &l.lc, &l.ln}) {
      if (s->size() > 400) {
        error = "line field too long";
        return false;
      }
    }
    lines.push_back(std::move(l));
  }
  return true;
}

bool InsertLines(Connection& db, const std::string& code, const std::string& cc,
                 const std::vector<Line>& lines, std::string& error) {
  std::vector<std::vector<std::string>> cols(8);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    cols[0].push_back(code);
    cols[1].push_back(std::to_string(i));
    cols[2].push_back(cc);
    cols[3].push_back(l.gc);
    cols[4].push_back(l.gn);
    cols[5].push_back(l.gbox);
    cols[6].push_back(l.lc);
    cols[7].push_back(l.ln);
  }
  return db.ExecMany(
      "INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_OC, OL_GC, OL_GN, OL_GBOX, OL_LC, OL_LN)"
      " VALUES (?, ?, ?, '', ?, ?, ?, ?, ?)",
      cols, &error);
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
    error = "unknown order";
    return false;
  }
  header = rows[0];
  return true;
}

enum HeaderIndex { kCode = 0, kSd, kAt, kMt, kMcount, kDd, kCc, kType, kIog, kSg, kScode, kRcount, kNote };

}  // namespace

std::string CmdOrderList(Context& c) {
  const FieldMap where = {{"OH_CC", "OH_CC"}, {"OH_SG", "OH_SG"}, {"OH_IOG", "OH_IOG"}};
  const FieldMap order = {{"OH_SD", "OH_SD"}, {"OH_CODE", "OH_CODE"}, {"OH_AT", "OH_AT"},
                          {"OH_DD", "OH_DD"}, {"OH_IOG", "OH_IOG"}};
  std::map<std::string, std::string> terms;
  SqlFilter f;
  std::string error;
  if (!ParseWhereOption(c.req.Value("WHERE_OPTION"), where, terms, &error) ||
      !AddConditions(c.req, {}, {}, f, &error) ||
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

std::string CmdOrderSave(Context& c) {
  const std::string head = c.req.Value("ORDERH_DATA");
  std::string h[13];
  for (std::size_t i = 0; i < kHeaderFields.size(); ++i) h[i] = TagValue(kHeaderFields[i], head);
  std::string error;
  std::vector<Line> lines;
  if (!c.req.Has("ORDERH_DATA") || !c.req.Has("ORDERL_DATA")) return FailureReply("no order");
  if (h[kCc].empty()) return FailureReply("no OH_CC");
  if (h[kIog] != "A" && h[kIog] != "X") return FailureReply("OH_IOG must be A or X");
  if (!h[kSg].empty() && h[kSg] != "0") return FailureReply("an order is saved with OH_SG 0");
  if (!h[kDd].empty() && (h[kDd].size() != 6 || !AllDigits(h[kDd])))
    return FailureReply("OH_DD must be yymmdd");
  for (const auto& v : h) {
    if (v.size() > 400) return FailureReply("header field too long");
  }
  if (!ReadLines(c.req.Value("ORDERL_DATA"), h[kCc], lines, error)) return FailureReply(error);
  if (lines.empty()) return FailureReply("an order without lines");
  if (h[kRcount] != std::to_string(lines.size()))
    return FailureReply("OH_RCOUNT differs from the number of lines");
  const std::string mcount = AllDigits(h[kMcount]) && h[kMcount].size() < 6 ? h[kMcount] : "1";

  std::string code = h[kCode];
  std::string sd, at;
  const bool ok = WriteTransaction(
      c,
      [&] {
        Rows rows;
        if (!c.db.Query("SELECT C.C_CODE FROM C_ C JOIN M_ M ON M.M_CODE = C.M_CODE"
                        " WHERE C.M_CODE = ? AND C.C_CODE = ? AND M.M_MGU = '1'",
                        {c.supplier, h[kCc]}, 1, rows, &error))
          return false;
        if (rows.empty()) {
          error = "unknown orderer, or the supplier takes no orders";
          return false;
        }
        for (const Line& l : lines) {
          if (l.gc == "YZ") continue;
          if (!c.db.Query("SELECT G_CODE FROM G_ WHERE M_CODE = ? AND G_CODE = ?",
                          {c.supplier, l.gc}, 1, rows, &error))
            return false;
          if (rows.empty()) {
            error = "unknown product " + l.gc;
            return false;
          }
        }
        if (code.empty()) {
          code = NewOrderCode();
          sd = TodayYymmdd();
          at = NowHhmm();
          if (!c.db.Exec("INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT, OH_DD,"
                         " OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE, OH_RCOUNT, OH_NOTE)"
                         " VALUES (?, ?, ?, ?, '', ?, ?, ?, ?, ?, '0', ?, ?, ?)",
                         {code, c.supplier, sd, at, mcount, h[kDd], h[kCc], h[kType], h[kIog],
                          h[kScode], h[kRcount], h[kNote]},
                         &error))
            return false;
        } else {
          Row stored;
          if (!LoadHeader(c.db, c.supplier, code, stored, error)) return false;
          if (stored[kSg] != "0" || stored[kCc] != h[kCc]) {
            error = "not an order of this orderer";
            return false;
          }
          if (stored[kIog] != "A" && stored[kIog] != "X") {
            error = "the supplier has begun receiving this order";
            return false;
          }
          sd = stored[kSd];
          at = stored[kAt];
          if (!c.db.Exec("UPDATE OH_ SET OH_MT = ?, OH_MCOUNT = ?, OH_DD = ?, OH_TYPE = ?,"
                         " OH_IOG = ?, OH_SCODE = ?, OH_RCOUNT = ?, OH_NOTE = ? WHERE OH_CODE = ?",
                         {NowHhmm(), mcount, h[kDd], h[kType], h[kIog], h[kScode], h[kRcount],
                          h[kNote], code},
                         &error) ||
              !c.db.Exec("DELETE FROM OL_ WHERE OH_CODE = ?", {code}, &error))
            return false;
        }
        return InsertLines(c.db, code, h[kCc], lines, error);
      },
      error);
  if (!ok) return FailureReply(error);
  return SuccessReply(MakeTag("OH_CODE", code) + MakeTag("OH_SD", sd) + MakeTag("OH_AT", at));
}

std::string CmdOrderDelete(Context& c) {
  const std::string code = c.req.Value("OH_CODE");
  if (code.empty()) return FailureReply("no OH_CODE");
  std::string error;
  const bool ok = WriteTransaction(
      c,
      [&] {
        Row stored;
        if (!LoadHeader(c.db, c.supplier, code, stored, error)) return false;
        if (stored[kIog] != "A" && stored[kIog] != "X") {
          error = "the supplier has begun receiving this order";
          return false;
        }
        return c.db.Exec("DELETE FROM OL_ WHERE OH_CODE = ?", {code}, &error) &&
               c.db.Exec("DELETE FROM OH_ WHERE OH_CODE = ?", {code}, &error);
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
  if (!c.db.Exec("BEGIN", {}, &error)) return FailureReply(error);
  const bool ok =
      LoadHeader(c.db, c.supplier, code, header, error) &&
      c.db.Query("SELECT L.OL_NO, L.OL_CC, L.OL_OC, L.OL_GC, L.OL_GN, L.OL_GBOX, L.OL_LC, L.OL_LN,"
                 " IFNULL(G.G_NAME, ''), IFNULL(G.G_BOX, '') FROM OL_ L JOIN OH_ H"
                 " ON H.OH_CODE = L.OH_CODE LEFT JOIN G_ G ON L.OL_GC <> 'YZ'"
                 " AND G.M_CODE = H.M_CODE AND G.G_CODE = L.OL_GC WHERE L.OH_CODE = ?"
                 " ORDER BY L.OL_NO",
                 {code}, 10, lines, &error);
  c.db.Exec("COMMIT");
  if (!ok) return FailureReply(error);
  std::string head;
  for (std::size_t i = 0; i < kHeaderFields.size(); ++i) head += MakeTag(kHeaderFields[i], header[i]);
  ReplyBuilder body;
  for (const auto& l : lines)
    body.AddRecord({"OL_NO", "OL_CC", "OL_OC", "OL_GC", "OL_GN", "OL_GBOX", "OL_LC", "OL_LN",
                    "G_NAME", "G_BOX"},
                   l);
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
  std::string error;
  const std::string copy = NewOrderCode();
  const bool ok = WriteTransaction(
      c,
      [&] {
        Row stored;
        if (!LoadHeader(c.db, c.supplier, code, stored, error)) return false;
        return c.db.Exec("INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MT, OH_MCOUNT, OH_DD,"
                         " OH_CC, OH_TYPE, OH_IOG, OH_SG, OH_SCODE, OH_RCOUNT, OH_NOTE)"
                         " SELECT ?, M_CODE, ?, ?, '', OH_MCOUNT, OH_DD, OH_CC, OH_TYPE, OH_IOG,"
                         " '1', OH_CODE, OH_RCOUNT, OH_NOTE FROM OH_ WHERE OH_CODE = ?",
                         {copy, TodayYymmdd(), NowHhmm(), code}, &error) &&
               c.db.Exec("INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_OC, OL_GC, OL_GN, OL_GBOX,"
                         " OL_LC, OL_LN) SELECT ?, OL_NO, OL_CC, OL_OC, OL_GC, OL_GN, OL_GBOX,"
                         " OL_LC, OL_LN FROM OL_ WHERE OH_CODE = ?",
                         {copy, code}, &error);
      },
      error);
  return ok ? SuccessReply(MakeTag("OH_CODE", copy)) : FailureReply(error);
}

std::string CmdOrderAuth(Context& c) {
  const Request& r = c.req;
  const std::string sc = r.Value("OA_SC"), cc = r.Value("OA_CC");
  if (sc.empty() || cc.empty()) return FailureReply("OA_SC and OA_CC are needed");
  std::string error;
  const std::string code = NewOrderCode();
  const bool ok = WriteTransaction(
      c,
      [&] {
        Rows rows;
        if (!c.db.Query("SELECT C_CODE FROM C_ WHERE M_CODE = ? AND C_CODE = ?", {sc, cc}, 1,
                        rows, &error))
          return false;
        if (rows.empty()) {
          error = "unknown supplier or orderer";
          return false;
        }
        return c.db.Exec("INSERT INTO OA_ (OA_CODE, OA_SC, OA_CC, OA_IOG, OA_STATUS, OA_WDATE,"
                         " OA_WTIME, OA_RTIME, OA_MSG) VALUES (?, ?, ?, ?, ?, ?, ?, '', ?)",
                         {code, sc, cc, r.Value("OA_IOG"), r.Value("OA_STATUS"), TodayYymmdd(),
                          NowHhmm(), r.Value("OA_MSG")},
                         &error);
      },
      error);
  return ok ? SuccessReply(MakeTag("OA_CODE", code)) : FailureReply(error);
}

}  // namespace tarvik::service
