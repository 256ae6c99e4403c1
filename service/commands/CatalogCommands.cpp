// Log-in, catalogue, note and car-part commands.
#include "service/commands/Commands.h"
#include "service/commands/Conditions.h"
#include "service/store/CatalogueVersion.h"
#include "text/Text.h"

namespace tarvik::service {

namespace {

const FieldMap kNone;

const std::vector<std::string> kGoodsFields = {"G_CODE", "G_NAME", "G_BOX", "G_BCODE", "G_BCNT",
                                               "G_GPN1", "G_GPN2", "U_DATE", "U_COST", "U_CNT"};
const char* const kGoodsColumns =
    "G.G_CODE, G.G_NAME, G.G_BOX, G.G_BCODE, G.G_BCNT, G.G_GPN1, G.G_GPN2,"
    " COALESCE(U.U_DATE, ''), COALESCE(U.U_COST, ''), COALESCE(U.U_CNT, '')";
const char* const kGoodsOrder = "G.G_GPSORT1, G.G_GPSORT2, G.G_SORT, G.G_NAME, G.G_CODE";

const FieldMap kGoodsOrderFields = {
    {"G_GPSORT1", "G.G_GPSORT1"}, {"G_GPSORT2", "G.G_GPSORT2"}, {"G_SORT", "G.G_SORT"},
    {"G_NAME", "G.G_NAME"},       {"G_CODE", "G.G_CODE"},       {"G_BCODE", "G.G_BCODE"},
    {"G_GPN1", "G.G_GPN1"},       {"G_GPN2", "G.G_GPN2"},       {"U_DATE", "U.U_DATE"}};
const FieldMap kGoodsSame = {{"G_CODE", "G.G_CODE"},
                             {"G_BCODE", "G.G_BCODE"},
                             {"G_GPN1", "G.G_GPN1"},
                             {"G_GPN2", "G.G_GPN2"}};
const FieldMap kGoodsLike = {{"G_NAME", "G.G_NAME"}, {"G_BCODE", "G.G_BCODE"}};

// Conditions and order of one request; a refusal reply in `refusal` otherwise.
bool Filter(const Context& c, const FieldMap& same, const FieldMap& like, const FieldMap& order,
            const std::string& fallback, SqlFilter& f, std::string& refusal) {
  std::string error;
  if (!AddConditions(c.req, same, like, c.db.dialect(), f, &error) ||
      !SetOrderBy(c.req, order, fallback, f, &error)) {
    refusal = FailureReply(error);
    return false;
  }
  return true;
}

bool HasSame(const Request& req, const std::string& field) {
  for (std::size_t i = 0; i + 1 < req.elements.size(); ++i) {
    if (req.elements[i].name == "SAME_FIELD" && req.elements[i].value == field) return true;
  }
  return false;
}

// A code list of the supplier (car groups, car makes): code and name.
std::string CodeList(const Context& c, const std::string& table, const std::string& code,
                     const std::string& name) {
  SqlFilter f;
  std::string refusal;
  if (!Filter(c, {{code, code}}, {{name, name}}, {{code, code}, {name, name}}, code, f, refusal))
    return refusal;
  f.params.insert(f.params.begin(), c.supplier);
  return SelectReply(c.db,
                     "SELECT " + code + ", " + name + " FROM " + table + " WHERE M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params, {code, name});
}

}  // namespace

std::string CmdMember(Context& c) {
  SqlFilter f;
  std::string refusal;
  if (!Filter(c, {{"M_ID", "M_ID"}}, kNone, {{"M_ID", "M_ID"}, {"M_CODE", "M_CODE"}}, "M_CODE",
              f, refusal))
    return refusal;
  if (!HasSame(c.req, "M_ID")) return FailureReply("the supplier is asked for by M_ID");
  return SelectReply(c.db,
                     "SELECT M_CODE, M_ID, M_MGU, M_DBTYPE, M_BIGO FROM M_ WHERE 1=1" + f.where +
                         f.orderBy,
                     f.params, {"M_CODE", "M_ID", "M_MGU", "M_DBTYPE", "M_BIGO"});
}

std::string CmdCustomer(Context& c) {
  SqlFilter f;
  std::string refusal;
  // The record carries the password: only ever one orderer by its ID.
  if (!Filter(c, {{"C_ID", "C_ID"}}, kNone, {{"C_CODE", "C_CODE"}}, "C_CODE", f, refusal))
    return refusal;
  if (!HasSame(c.req, "C_ID")) return FailureReply("the orderer is asked for by C_ID");
  f.params.insert(f.params.begin(), c.supplier);
  return SelectReply(c.db,
                     "SELECT C_CODE, C_ID, C_NAME, C_SS, C_GU, C_MSG FROM C_ WHERE M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params, {"C_CODE", "C_ID", "C_NAME", "C_SS", "C_GU", "C_MSG"});
}

std::string CmdCustomerPassword(Context& c) {
  const std::string code = c.req.Value("C_CODE");
  const std::string pass = c.req.Value("C_SS");
  // The session keeps 11 bytes of C_SS; a longer one could never be matched.
  if (code.empty() || pass.empty() || Cp949Length(pass) > 11)
    return FailureReply("C_CODE and a C_SS of 1 to 11 bytes are needed");
  // The command carries no proof of who sends it, so it only ever gives a
  // first password to an orderer who has none (the supplier clears one with
  // the admin command password-reset).
  std::string error;
  const bool ok = WriteTransaction(
      c,
      [&] {
        if (!c.db.Exec("UPDATE C_ SET C_SS = ? WHERE M_CODE = ? AND C_CODE = ? AND C_SS = ''",
                       {pass, c.supplier, code}, &error))
          return false;
        if (c.db.Changed() == 1) return true;
        Rows rows;
        if (c.db.Query("SELECT C_CODE FROM C_ WHERE M_CODE = ? AND C_CODE = ?", {c.supplier, code},
                       1, rows, &error))
          error = rows.empty() ? "unknown orderer" : "the orderer has a password already";
        return false;
      },
      error);
  return ok ? SuccessReply() : FailureReply(error);
}

std::string CmdGoods(Context& c) {
  SqlFilter f;
  std::string refusal;
  if (!Filter(c, kGoodsSame, kGoodsLike, kGoodsOrderFields, kGoodsOrder, f, refusal))
    return refusal;
  f.params.insert(f.params.begin(), {c.req.Value("C_CODE"), c.supplier});
  return SelectReply(c.db,
                     std::string("SELECT ") + kGoodsColumns +
                         " FROM G_ G LEFT JOIN U_ U ON U.M_CODE = G.M_CODE AND U.U_GC = G.G_CODE"
                         " AND U.U_CC = ? WHERE G.M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params, kGoodsFields);
}

std::string CmdGoodByCode(Context& c) {
  SqlFilter f;
  std::string refusal;
  // The lookup reads the product table alone: no unit-cost column to sort by.
  FieldMap order = kGoodsOrderFields;
  order.erase("U_DATE");
  if (!Filter(c, kGoodsSame, kGoodsLike, order, kGoodsOrder, f, refusal))
    return refusal;
  if (f.params.empty()) return FailureReply("a product condition is needed");
  f.params.insert(f.params.begin(), c.supplier);
  return SelectReply(c.db,
                     "SELECT G.G_CODE, G.G_NAME, G.G_BOX, G.G_BCODE, G.G_BCNT, G.G_GPN1, G.G_GPN2"
                     " FROM G_ G WHERE G.M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params,
                     {"G_CODE", "G_NAME", "G_BOX", "G_BCODE", "G_BCNT", "G_GPN1", "G_GPN2"});
}

std::string CmdUnitCosts(Context& c) {
  SqlFilter f;
  std::string refusal;
  FieldMap same = kGoodsSame;
  same["U_CC"] = "U.U_CC";
  if (!Filter(c, same, kGoodsLike, kGoodsOrderFields, kGoodsOrder, f, refusal)) return refusal;
  // One orderer's prices only, never everybody's.
  if (!HasSame(c.req, "U_CC")) return FailureReply("unit costs are asked for by U_CC");
  f.params.insert(f.params.begin(), c.supplier);
  return SelectReply(c.db,
                     std::string("SELECT ") + kGoodsColumns +
                         " FROM U_ U JOIN G_ G ON G.M_CODE = U.M_CODE AND G.G_CODE = U.U_GC"
                         " WHERE U.M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params, kGoodsFields);
}

std::string CmdUnitCostDelete(Context& c) {
  const std::string cc = c.req.Value("U_CC");
  const std::string gc = c.req.Value("U_GC");
  if (cc.empty() || gc.empty()) return FailureReply("U_CC and U_GC are needed");
  std::string error;
  const bool ok = WriteTransaction(
      c,
      [&] {
        if (!c.db.Exec("DELETE FROM U_ WHERE M_CODE = ? AND U_CC = ? AND U_GC = ?",
                       {c.supplier, cc, gc}, &error))
          return false;
        if (c.db.Changed() != 1) {
          error = "no such unit cost";
          return false;
        }
        return RaiseCatalogueVersion(c.db, c.supplier, &error);
      },
      error);
  return ok ? SuccessReply() : FailureReply(error);
}

std::string CmdGoodsMemo(Context& c) {
  SqlFilter f;
  std::string refusal;
  if (!Filter(c, kNone, kNone, {{"GM_NO", "GM_NO"}}, "GM_NO", f, refusal)) return refusal;
  if (!c.req.Has("GM_GC")) return FailureReply("GM_GC is needed");
  return SelectReply(c.db,
                     "SELECT GM_GC, GM_NO, GM_NOTE FROM GM_ WHERE M_CODE = ? AND GM_GC = ?" +
                         f.orderBy,
                     {c.supplier, c.req.Value("GM_GC")}, {"GM_GC", "GM_NO", "GM_NOTE"});
}

std::string CmdCarGroups(Context& c) { return CodeList(c, "CG_", "CG_CODE", "CG_NAME"); }

std::string CmdCarMakes(Context& c) { return CodeList(c, "CM_", "CM_CODE", "CM_NAME"); }

std::string CmdCarPartNums(Context& c) {
  SqlFilter f;
  std::string refusal;
  const FieldMap order = {{"CPN_NAME", "CPN_NAME"}, {"CPN_BODY", "CPN_BODY"},
                          {"CPN_YEAR", "CPN_YEAR"}, {"CPN_TYPE", "CPN_TYPE"}};
  if (!Filter(c, {{"CPN_GROUP", "CPN_GROUP"}, {"CPN_MAKE", "CPN_MAKE"}},
              {{"CPN_NAME", "CPN_NAME"}, {"CPN_BODY", "CPN_BODY"}}, order, "CPN_NAME, CPN_ID", f,
              refusal))
    return refusal;
  f.params.insert(f.params.begin(), c.supplier);
  return SelectReply(c.db,
                     "SELECT CPN_NAME, CPN_TYPE, CPN_POWER, CPN_YEAR, CPN_BODY, CPN_GCODE,"
                     " CPN_GROUP, CPN_MAKE FROM CPN_ WHERE M_CODE = ?" +
                         f.where + f.orderBy,
                     f.params,
                     {"CPN_NAME", "CPN_TYPE", "CPN_POWER", "CPN_YEAR", "CPN_BODY", "CPN_GCODE",
                      "CPN_GROUP", "CPN_MAKE"});
}

}  // namespace tarvik::service
