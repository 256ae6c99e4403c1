#include "tests/fuzz/RequestChecks.h"

#include <initializer_list>
#include <map>

#include "tests/fuzz/FuzzCheck.h"
#include "wire/Text.h"
#include "service/Conditions.h"

namespace tarvik::fuzz {

using service::Backend;
using service::Dialect;
using service::FieldMap;
using service::SqlFilter;

namespace {

// Every wire field name the commands accept in each place, mapped to columns
// "t.<place><n>" that no wire name looks like.
FieldMap Columns(const char* place, std::initializer_list<const char*> wireNames) {
  FieldMap map;
  int n = 0;
  for (const char* name : wireNames) map[name] = "t." + std::string(place) + std::to_string(n++);
  return map;
}
const FieldMap kSame = Columns("s", {"G_CODE", "G_BCODE", "G_GPN1", "G_GPN2", "U_CC", "M_ID",
                                     "C_ID", "CG_CODE", "CM_CODE", "CPN_GROUP", "CPN_MAKE"});
const FieldMap kLike =
    Columns("l", {"G_NAME", "G_BCODE", "CG_NAME", "CM_NAME", "CPN_NAME", "CPN_BODY"});
const FieldMap kOrder = Columns(
    "o", {"G_GPSORT1", "G_GPSORT2", "G_SORT", "G_NAME", "G_CODE", "G_BCODE", "G_GPN1", "G_GPN2",
          "U_DATE", "M_ID", "M_CODE", "C_CODE", "GM_NO", "CG_CODE", "CG_NAME", "CM_CODE",
          "CM_NAME", "CPN_NAME", "CPN_BODY", "CPN_YEAR", "CPN_TYPE", "OH_SD", "OH_CODE", "OH_AT",
          "OH_DD", "OH_IOG"});
const FieldMap kWhere = Columns("w", {"OH_CC", "OH_SG", "OH_IOG"});
const char* const kFallback = "t.fallback";

bool IsColumnOf(const FieldMap& map, const std::string& column) {
  for (const auto& [wire, sql] : map) {
    if (sql == column) return true;
  }
  return false;
}

// Consumes `word` at p.
bool Take(const std::string& s, std::size_t& p, const std::string& word) {
  if (s.compare(p, word.size(), word) != 0) return false;
  p += word.size();
  return true;
}

// A column "t.xN" at p.
bool TakeColumn(const std::string& s, std::size_t& p, const FieldMap& map) {
  std::size_t e = p;
  while (e < s.size() && s[e] != ' ' && s[e] != ',') ++e;
  if (!IsColumnOf(map, s.substr(p, e - p))) return false;
  p = e;
  return true;
}

// where: (" AND " column (" = ?" | " LIKE ? ESCAPE '\'"))*
// isLike: for each '?', whether it is a LIKE pattern.
void CheckWhere(const SqlFilter& f, const Dialect& d, std::vector<bool>& isLike) {
  const std::string& w = f.where;
  const std::string like = std::string(" ") + d.Like() + " ? ESCAPE '\\'";
  std::size_t p = 0;
  isLike.clear();
  while (p < w.size()) {
    Check(Take(w, p, " AND "), "WHERE piece without AND: " + Shown(w));
    const std::size_t column = p;
    if (TakeColumn(w, p, kSame) && Take(w, p, " = ?")) {
      isLike.push_back(false);
      continue;
    }
    p = column;
    Check(TakeColumn(w, p, kLike) && Take(w, p, like), "WHERE piece not of the grammar: " + Shown(w));
    isLike.push_back(true);
  }
  Check(isLike.size() == f.params.size(), "WHERE has " + std::to_string(isLike.size()) +
                                              " '?' for " + std::to_string(f.params.size()) +
                                              " values");
}

// orderBy: " ORDER BY " fallback | " ORDER BY " column (" ASC"|" DESC") (", " ...)*
void CheckOrderBy(const std::string& o) {
  std::size_t p = 0;
  Check(Take(o, p, " ORDER BY "), "ORDER BY missing: " + Shown(o));
  if (o.substr(p) == kFallback) return;
  for (;;) {
    Check(TakeColumn(o, p, kOrder), "ORDER BY names what is no column: " + Shown(o));
    Check(Take(o, p, " ASC") || Take(o, p, " DESC"), "ORDER BY without direction: " + Shown(o));
    if (p == o.size()) return;
    Check(Take(o, p, ", "), "ORDER BY items not joined by ', ': " + Shown(o));
  }
}

// A LIKE pattern: '\' escapes only '\' and '_'; no bare '_' (one character
// in SQL), so a key matches itself and '%' is its only wildcard.
void CheckPattern(const std::string& pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '_') Fail("a bare '_' in a LIKE pattern: " + Shown(pattern));
    if (pattern[i] != '\\') continue;
    Check(i + 1 < pattern.size() && (pattern[i + 1] == '\\' || pattern[i + 1] == '_'),
          "a '\\' that escapes nothing in a LIKE pattern: " + Shown(pattern));
    ++i;
  }
}

}  // namespace

void CheckUtf8(const std::string& text) {
  const bool valid = IsValidUtf8(text);
  const bool roundTrip = EncodeUtf8(DecodeUtf8(text)) == text;
  Check(valid == roundTrip, std::string("IsValidUtf8 says ") + (valid ? "valid" : "invalid") +
                                " but decoding " + (roundTrip ? "keeps" : "changes") +
                                " the bytes: " + Shown(text));
}

void CheckElements(const std::string& text, const std::vector<service::Element>& elements,
                   bool scanned, const std::string& error) {
  if (!scanned) {
    Check(!error.empty(), "ScanElements refused without a reason");
    return;
  }
  Check(elements.size() <= service::kMaxElements, "more elements than the limit");
  std::size_t pos = 0;
  for (const auto& e : elements) {
    Check(!e.name.empty(), "an element without a name");
    for (char c : e.name) {
      Check((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_',
            "an element name with " + Shown(std::string(1, c)));
    }
    const std::string close = "</" + e.name + ">";
    Check(e.value.find(close) == std::string::npos, "a value holding its own close: " + e.name);
    const std::string whole = "<" + e.name + ">" + e.value + close;
    const std::size_t at = text.find(whole, pos);
    Check(at != std::string::npos, "element " + e.name + " is not in the text as read");
    pos = at + whole.size();
  }
}

void CheckConditions(const service::Request& request) {
  for (const Backend backend : {Backend::SQLite, Backend::PostgreSQL}) {
    const Dialect dialect(backend);
    SqlFilter f;
    std::string error;
    if (service::AddConditions(request, kSame, kLike, dialect, f, &error)) {
      std::vector<bool> isLike;
      CheckWhere(f, dialect, isLike);
      for (std::size_t i = 0; i < f.params.size(); ++i) {
        if (isLike[i]) CheckPattern(f.params[i]);  // an '=' value may hold anything
      }
      Check(f.orderBy.empty(), "AddConditions wrote an ORDER BY");
      if (service::SetOrderBy(request, kOrder, kFallback, f, &error)) CheckOrderBy(f.orderBy);
    } else {
      Check(!error.empty(), "AddConditions refused without a reason");
    }
  }
  std::map<std::string, std::string> terms;
  std::string error;
  if (service::ParseWhereOption(request.Value("WHERE_OPTION"), kWhere, terms, &error)) {
    Check(!terms.empty(), "WHERE_OPTION read as no term");
    for (const auto& [field, value] : terms) {
      Check(kWhere.count(field) == 1, "WHERE_OPTION term of a field outside the map: " + Shown(field));
      Check(value.find('\'') == std::string::npos, "a WHERE_OPTION value holding a quote");
    }
  } else {
    Check(!error.empty(), "WHERE_OPTION refused without a reason");
  }
}

}  // namespace tarvik::fuzz
