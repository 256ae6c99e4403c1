#include "order/NotSold.h"

#include <unordered_set>

#include "order/OrderDraft.h"

namespace tarvik {

const char* const kNotSoldTip = "현재 판매하지 않는 제품입니다";

int MarkLinesNotSold(OrderDraft& draft, const std::vector<GoodsRecord>& all, long long count) {
  const bool tells = count > 0 && count <= static_cast<long long>(all.size());
  std::unordered_set<std::string> sold;
  if (tells)
    for (long long i = 0; i < count; ++i)
      if (!all[static_cast<std::size_t>(i)].G_CODE.empty()) sold.insert(all[static_cast<std::size_t>(i)].G_CODE);
  int marked = 0;
  for (int r = 0; r < draft.LineCount(); ++r) {
    const DraftLine& l = draft.Line(r);
    const bool notSold = tells && !l.Empty() && l.GoodsCode != kDirectCode && !sold.count(l.GoodsCode);
    draft.SetNotSold(r, notSold);
    marked += notSold ? 1 : 0;
  }
  return marked;
}

std::string NotSoldMessage(int n) {
  return "현재 판매하지 않는 제품이 " + std::to_string(n) +
         "줄 있습니다.\r\r빨간색으로 표시된 줄은 주문이 거절될 수 있으니 확인하십시요.";
}

}  // namespace tarvik
