#include "order/BasketAmounts.h"

#include <algorithm>
#include <cmath>

#include "screens/CellFormat.h"
#include "session/Session.h"

namespace tarvik {

bool PriceBook::Hidden() const { return dm_.CustomerInfo.C_GU == "2"; }

std::optional<double> PriceBook::UnitPrice(const std::string& code) const {
  if (code.empty() || code == kDirectCode) return std::nullopt;
  if (builtFor_ != dm_.Catalogue.TradedCount) {
    prices_.clear();
    const std::size_t rows = static_cast<std::size_t>(
        std::max<long long>(0, std::min<long long>(dm_.Catalogue.TradedCount,
                                                   dm_.Catalogue.TradedGoods.size())));
    for (std::size_t i = 0; i < rows; ++i) {
      const GoodsRecord& g = dm_.Catalogue.TradedGoods[i];
      const auto price = ParseNumber(StripCommas(g.U_COST));
      if (!g.G_CODE.empty() && price && *price != 0) prices_.emplace(g.G_CODE, *price);
    }
    builtFor_ = dm_.Catalogue.TradedCount;
  }
  const auto it = prices_.find(code);
  if (it == prices_.end()) return std::nullopt;
  return it->second;
}

LineAmount AmountOf(const DraftLine& line, const PriceBook& prices) {
  LineAmount a;
  if (line.Empty()) return a;
  const auto price = prices.UnitPrice(line.GoodsCode);
  const auto quantity = ParseNumber(StripCommas(line.Quantity));
  if (!price || !quantity) return a;
  a.priced = true;
  a.unitPrice = *price;
  a.quantity = *quantity;
  a.amount = std::round(*price * *quantity * 100) / 100;  // as the lists show prices: 2 decimals
  return a;
}

BasketTotal TotalOf(const OrderDraft& draft, const PriceBook& prices) {
  BasketTotal t;
  t.lines = draft.LineCount();
  for (int r = 0; r < t.lines; ++r) {
    const LineAmount a = AmountOf(draft.Line(r), prices);
    if (a.priced)
      t.total += a.amount;
    else
      ++t.unpriced;
  }
  return t;
}

std::string LineAmountText(const DraftLine& line, const PriceBook& prices) {
  if (line.Empty() || prices.Hidden()) return std::string();
  const LineAmount a = AmountOf(line, prices);
  const std::string head = line.LineNo + "번 금액: ";
  if (!a.priced) return head + "단가 없음";
  return head + FormatGrouped(a.unitPrice, 2) + " × " + FormatGrouped(a.quantity, 2) + " = " +
         FormatGrouped(a.amount, 2) + "원";
}

std::string TotalText(const OrderDraft& draft, const PriceBook& prices) {
  if (prices.Hidden()) return std::string();
  const BasketTotal t = TotalOf(draft, prices);
  if (t.lines == 0) return std::string();
  std::string s = "합계: " + FormatGrouped(t.total, 2) + "원";
  if (t.unpriced > 0) s += " (단가 없는 제품 " + std::to_string(t.unpriced) + "개 제외)";
  return s;
}

}  // namespace tarvik
