#include "order/NotSold.h"

#include <unordered_map>

#include "order/OrderDraft.h"
#include "text/Text.h"

namespace tarvik {

const char* const kNotSoldTip = "현재 판매하지 않는 제품입니다";

int MarkLinesNotSold(OrderDraft& draft, const std::vector<GoodsRecord>& all, long long count) {
  const bool tells = count > 0 && count <= static_cast<long long>(all.size());
  std::unordered_map<std::string, const GoodsRecord*> sold;
  if (tells)
    for (long long i = 0; i < count; ++i) {
      const GoodsRecord& g = all[static_cast<std::size_t>(i)];
      if (!g.G_CODE.empty()) sold[g.G_CODE] = &g;
    }
  int marked = 0;
  for (int r = 0; r < draft.LineCount(); ++r) {
    const DraftLine& l = draft.Line(r);
    bool notSold = false;
    if (tells && !l.Empty() && l.GoodsCode != kDirectCode) {
      const auto it = sold.find(l.GoodsCode);
      notSold = it == sold.end();
      // The service reads a line whose product left the catalogue during
      // this session without its name; the table of the log-in still names
      // it, and the clerk should see which product it was.
      if (!notSold && l.GoodsName.empty() && !it->second->G_NAME.empty()) {
        const GoodsRecord& g = *it->second;
        draft.LoadLine(r, l.GoodsCode, g.G_NAME, l.GoodsBox.empty() ? g.G_BOX : l.GoodsBox, l.Quantity, l.LineNote);
        notSold = true;
      }
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

std::string NotSoldLines(const OrderDraft& draft) {
  std::string lines;
  int n = 0;
  for (int r = 0; r < draft.LineCount(); ++r) {
    const DraftLine& l = draft.Line(r);
    if (!l.NotSold) continue;
    const std::string name = TrimRightBlanks(l.GoodsName);
    if (++n <= 10) lines += "\r" + l.LineNo + ". [" + l.GoodsCode + "]" + (name.empty() ? "" : " " + name);
  }
  if (n == 0) return std::string();
  if (n > 10) lines += "\r... 모두 " + std::to_string(n) + "줄";
  return "현재 판매하지 않는 제품이 있어 전송하지 않았습니다.\r" + lines +
         "\r\r빨간색으로 표시된 줄을 지운 뒤 다시 전송하십시요.";
}

}  // namespace tarvik
