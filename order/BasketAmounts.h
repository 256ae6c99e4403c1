#pragma once
// What the basket will cost, for the clerk to read before sending: each
// catalogue line's amount (the orderer's unit price from the traded products,
// U_COST, times the quantity) and the total. Nothing of it is sent or printed.
#include <optional>
#include <string>
#include <unordered_map>

#include "order/OrderDraft.h"

namespace tarvik {

class TDM;

class PriceBook {
 public:
  // dm must outlive the book; its traded table is read when first needed
  // (and again when its count changes), so the book may be made before the
  // log-in.
  explicit PriceBook(const TDM& dm) : dm_(dm) {}

  // The orderer's unit price of a catalogue product: none for a product typed
  // in by hand, one the orderer has not traded, or a price that is empty,
  // zero or not a number.
  std::optional<double> UnitPrice(const std::string& code) const;
  // Orderers of class "2" see no prices on the main screen (the lists show the
  // date of the unit price instead); they see no amounts either.
  bool Hidden() const;

 private:
  const TDM& dm_;
  mutable std::unordered_map<std::string, double> prices_;
  mutable long long builtFor_ = -2;  // TradedCount the map was built for
};

struct LineAmount {
  bool priced = false;  // false: no known price (or a quantity that is no number)
  double unitPrice = 0, quantity = 0, amount = 0;
};
// An empty row is not priced.
LineAmount AmountOf(const DraftLine& line, const PriceBook& prices);

struct BasketTotal {
  double total = 0;  // of the priced lines
  int lines = 0;
  int unpriced = 0;
};
BasketTotal TotalOf(const OrderDraft& draft, const PriceBook& prices);

// The selected line's amount under the basket: "3번 금액: 12,000 × 3 = 36,000원",
// or "3번 금액: 단가 없음"; empty for an empty row or hidden prices.
std::string LineAmountText(const DraftLine& line, const PriceBook& prices);
// "합계: 36,000원", with lines that have no price "합계: 36,000원 (단가 없는 제품 1개 제외)";
// empty without lines or with hidden prices.
std::string TotalText(const OrderDraft& draft, const PriceBook& prices);

}  // namespace tarvik
