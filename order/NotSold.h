#pragma once
// Lines of a reopened order or sample whose product has left the catalogue
// since: the clerk sees them marked and is told how many before sending. The
// order itself is sent as it stands; the orderer decides.
#include <string>
#include <vector>

#include "session/GoodsRecord.h"

namespace tarvik {

class OrderDraft;

// The tooltip of a marked line.
extern const char* const kNotSoldTip;  // "현재 판매하지 않는 제품입니다"

// Marks every catalogue line (not "YZ") whose code is not among the first
// count rows of all (the all-products table of this log-in), or whose name
// is empty where the table names the product (taken out of the catalogue
// since the log-in), and unmarks the others; returns how many are marked. A table that cannot tell marks
// nothing: count -1 (it was not read), 0 (no catalogue, or none loaded yet)
// or above its rows (the catalogue did not fit, so a product beyond them is
// sold all the same).
int MarkLinesNotSold(OrderDraft& draft, const std::vector<GoodsRecord>& all, long long count);

// The one message about n marked lines.
std::string NotSoldMessage(int n);

}  // namespace tarvik
