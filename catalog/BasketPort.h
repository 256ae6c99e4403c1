#pragma once
// The basket as the catalogue's screens see it. The main window joins it to
// the order draft and the quantity dialog, so that the catalogue needs
// nothing of ordering.
#include <string>

class QPoint;
class QWidget;

namespace tarvik {

// A product a catalogue screen offers to the basket.
struct OfferedProduct {
  std::string code, name, box;
  std::string unitQty = "0";  // the quantity per box; "0" when unknown
};

// How an offer ended: the clerk cancelled the quantity dialog, or the basket
// refused the line (a duplicate, or full).
enum class Offer { Added, Cancelled, NotAdded };

class BasketPort {
 public:
  virtual ~BasketPort() = default;
  // Runs the quantity dialog for adding p, over `over` at `at` (screen
  // coordinates), and on OK adds the line entered.
  virtual Offer AskAndAdd(const OfferedProduct& p, QWidget* over, const QPoint& at) = 0;
};

}  // namespace tarvik
