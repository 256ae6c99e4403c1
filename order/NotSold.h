#pragma once
// Lines of a reopened order or sample whose product has left the catalogue
// since: the clerk sees them marked and is told how many; F7 names them and sends
// nothing until they are gone (the service would refuse the order).
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
// since the log-in: the line then takes the table's name, and its packing
// unit when it has none), and unmarks the others; returns how many are
// marked. A table that cannot tell marks nothing: count -1 (it was not
// read), 0 (no catalogue, or none loaded yet) or above its rows (the
// catalogue did not fit, so a product beyond them is sold all the same).
int MarkLinesNotSold(OrderDraft& draft, const std::vector<GoodsRecord>& all, long long count);

// The one message about n marked lines.
std::string NotSoldMessage(int n);

// F7's refusal of a basket with marked lines, naming each ("3. [P00090]
// name"); empty when no line is marked.
std::string NotSoldLines(const OrderDraft& draft);

}  // namespace tarvik
