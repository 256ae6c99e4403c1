#include "service/commands/Conditions.h"

#include <cctype>

namespace tarvik::service {

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string LikePattern(const std::string& key) {
  std::string out;
  out.reserve(key.size() + 4);
  for (char c : key) {
    if (c == '\\' || c == '_') out += '\\';
    out += c;
  }
  return out;
}

bool AddConditions(const Request& req, const FieldMap& same, const FieldMap& like,
                   const Dialect& dialect, SqlFilter& filter, std::string* error) {
  const auto& els = req.elements;
  for (std::size_t i = 0; i < els.size(); ++i) {
    const std::string& name = els[i].name;
    const bool isSame = name == "SAME_FIELD";
    const bool isLike = name == "LIKE_FIELD";
    if (name == "SAME_KEY" || name == "LIKE_KEY") {
      SetError(error, name + " without its field");
      return false;
    }
    if (!isSame && !isLike) continue;
    const std::string keyName = isSame ? "SAME_KEY" : "LIKE_KEY";
    if (i + 1 >= els.size() || els[i + 1].name != keyName) {
      SetError(error, name + " not followed by " + keyName);
      return false;
    }
    const FieldMap& map = isSame ? same : like;
    const auto it = map.find(els[i].value);
    if (it == map.end()) {
      SetError(error, "field not allowed here: " + els[i].value);
      return false;
    }
    const std::string& key = els[i + 1].value;
    if (isSame) {
      filter.where += " AND " + it->second + " = ?";
      filter.params.push_back(key);
    } else {
      filter.where += " AND " + it->second + " " + dialect.Like() + " ? ESCAPE '\\'";
      filter.params.push_back(LikePattern(key));
    }
    ++i;  // the key is consumed
  }
  return true;
}

bool SetOrderBy(const Request& req, const FieldMap& fields, const std::string& fallback,
                SqlFilter& filter, std::string* error) {
  const std::string text = req.Value("ORDERBY");
  std::string sql;
  std::size_t start = 0;
  if (Trim(text).empty()) {
    filter.orderBy = fallback.empty() ? std::string() : " ORDER BY " + fallback;
    return true;
  }
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = Trim(text.substr(start, comma - start));
    // item: FIELD [ASC|DESC], nothing else
    std::size_t sp = 0;
    while (sp < item.size() && !IsBlank(item[sp])) ++sp;
    const std::string field = item.substr(0, sp);
    const std::string dir = Upper(Trim(item.substr(sp)));
    const auto it = fields.find(field);
    if (field.empty() || it == fields.end()) {
      SetError(error, "ORDERBY field not allowed: " + field);
      return false;
    }
    if (!dir.empty() && dir != "ASC" && dir != "DESC") {
      SetError(error, "ORDERBY direction not understood");
      return false;
    }
    if (!sql.empty()) sql += ", ";
    sql += it->second + (dir == "DESC" ? " DESC" : " ASC");
    start = comma + 1;
    if (comma == text.size()) break;
  }
  filter.orderBy = " ORDER BY " + sql;
  return true;
}

bool ParseWhereOption(const std::string& text, const FieldMap& fields,
                      std::map<std::string, std::string>& terms, std::string* error) {
  terms.clear();
  std::size_t p = 0;
  const std::size_t n = text.size();
  auto skip = [&] {
    while (p < n && IsBlank(text[p])) ++p;
  };
  for (;;) {
    skip();
    const std::size_t f = p;
    while (p < n && (std::isalnum(static_cast<unsigned char>(text[p])) || text[p] == '_')) ++p;
    const std::string field = text.substr(f, p - f);
    if (field.empty() || fields.find(field) == fields.end()) {
      SetError(error, "WHERE_OPTION field not allowed: " + field);
      return false;
    }
    skip();
    if (p >= n || text[p] != '=') {
      SetError(error, "WHERE_OPTION expects '='");
      return false;
    }
    ++p;
    skip();
    if (p >= n || text[p] != '\'') {
      SetError(error, "WHERE_OPTION expects a quoted value");
      return false;
    }
    const std::size_t q = text.find('\'', p + 1);
    if (q == std::string::npos) {
      SetError(error, "WHERE_OPTION value not closed");
      return false;
    }
    if (!terms.emplace(field, text.substr(p + 1, q - p - 1)).second) {
      SetError(error, "WHERE_OPTION names a field twice");
      return false;
    }
    p = q + 1;
    skip();
    if (p >= n) return true;
    if (n - p < 3 || Upper(text.substr(p, 3)) != "AND" ||
        (p + 3 < n && !IsBlank(text[p + 3]))) {
      SetError(error, "WHERE_OPTION terms must be joined by AND");
      return false;
    }
    p += 3;
  }
}

}  // namespace tarvik::service
