#pragma once
// Result rows as every statement of the store gives them: one text per
// column, NULL read as empty. Both the pool (Database.h) and the two kinds of
// connection under it (DatabaseLink.h) speak it, so neither needs the other.
#include <string>
#include <vector>

namespace tarvik::service {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

}  // namespace tarvik::service
