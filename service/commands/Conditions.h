#pragma once
// The client's condition elements turned into SQL pieces. Client text never
// becomes SQL: field names are looked up in a per-command map from wire name
// to a column this service wrote, values are bound parameters, and anything
// that does not parse is refused.
#include <map>
#include <string>
#include <vector>

#include "service/store/Dialect.h"
#include "service/requests/RequestText.h"

namespace tarvik::service {

// Wire field name -> SQL column expression.
using FieldMap = std::map<std::string, std::string>;

// A growing "WHERE ... ORDER BY ..." with its bound values.
struct SqlFilter {
  std::string where;                // " AND col = ?" pieces, to follow a base WHERE
  std::vector<std::string> params;  // in order of the '?'
  std::string orderBy;              // " ORDER BY ..." or empty
};

// Reads every SAME_FIELD/SAME_KEY and LIKE_FIELD/LIKE_KEY pair of the request
// into filter. A FIELD must be directly followed by its KEY; a field outside
// its map, or a lone KEY, is refused. LIKE keys: '%' matches any run, every
// other character (also '_') matches itself; ASCII letters match in either
// case, so a chassis or model word typed in capitals finds all.
bool AddConditions(const Request& req, const FieldMap& same, const FieldMap& like,
                   const Dialect& dialect, SqlFilter& filter, std::string* error);

// Parses "FIELD ASC|DESC" items separated by commas (blanks allowed around
// them; the direction may be left out: ASC) into filter.orderBy. An empty or
// absent ORDERBY leaves the fallback order. Unknown fields are refused.
bool SetOrderBy(const Request& req, const FieldMap& fields, const std::string& fallback,
                SqlFilter& filter, std::string* error);

// Parses a condition of `FIELD = 'value'` terms joined by AND (any case,
// blanks anywhere between tokens). Values hold no quote. Every field must be in
// fields and may appear once; the result maps wire field -> value.
bool ParseWhereOption(const std::string& text, const FieldMap& fields,
                      std::map<std::string, std::string>& terms, std::string* error);

// The LIKE pattern of a client key, with '\' as the escape character.
std::string LikePattern(const std::string& key);

}  // namespace tarvik::service
