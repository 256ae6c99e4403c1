#pragma once
// The product lines of an order save: read from the request, checked against
// the supplier's catalogue and written in one statement.
#include <string>
#include <vector>

#include "service/store/Database.h"

namespace tarvik::service {

constexpr std::size_t kMaxLines = 99;

struct Line {
  std::string gc, gn, gbox, lc, ln;
};

// The lines of an ORDERL_DATA value: OLD_0 ... OLD_n-1 in order, nothing else.
bool ReadLines(const std::string& text, const std::string& cc, std::vector<Line>& lines,
               std::string& error);

bool InsertLines(Connection& db, const std::string& code, const std::string& cc,
                 const std::vector<Line>& lines, std::string& error);

// The orderer may order from this supplier and every product line names one
// of the supplier's products.
bool CheckOrderable(Connection& db, const std::string& supplier, const std::string& cc,
                    const std::vector<Line>& lines, std::string& error);

}  // namespace tarvik::service
