#include "order/NotSold.h"

#include <unordered_map>

#include "order/OrderDraft.h"

namespace tarvik {

const char* const kNotSoldTip = "현재 판매하지 않는 제품입니다";

int MarkLinesNotSold(OrderDraft& draft, const std::vector<GoodsRecord>& all, long long count) {
  const bool tells = count > 0 && count <= static_cast<long long>(all.size());
  std::unordered_map<std::string, bool> named;  // sold code -> its name is not empty
  if (tells)
    for (long long i = 0; i < count; ++i) {
      const GoodsRecord& g = all[static_cast<std::size_t>(i)];
      if (!g.G_CODE.empty()) named[g.G_CODE] = !g.G_NAME.empty();
    }
  int marked = 0;
  for (int r = 0; r < draft.LineCount(); ++r) {
    const DraftLine& l = draft.Line(r);
    bool notSold = false;
    if (tells && !l.Empty() && l.GoodsCode != kDirectCode) {
      // The service reads a line whose product left the catalogue during
      // this session with an empty name; the table of the log-in still
      // holds it, named.
      const auto it = named.find(l.GoodsCode);
      notSold = it == named.end() || (it->second && l.GoodsName.empty());
    }
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
