#pragma once
// The main screen's order operations without widgets: the order draft being
// written and what acts on it as a whole (send, open an order or a sample,
// delete, copy, register a sample, print, clear, leave). The desk works on the
// session it is given and reaches the main screen only through its port.
#include <string>

#include "order/OrderDraft.h"

namespace tarvik {

class TDM;

// F9's question, worded as Esc's exit question is.
extern const char* const kClearQuestion;

// What the desk needs of the main screen, which implements it.
class OrderDeskPort {
 public:
  virtual ~OrderDeskPort() = default;
  // Shows the order list (samples: the sample list) over the main screen and
  // returns the chosen order's OH_CODE; empty when it was cancelled.
  virtual std::string PickFromOrderList(bool samples) = 0;
  // The draft changed: redraw the basket and its header fields. cleared: it
  // was emptied as a whole, so the search box takes the focus and shows the
  // product list again from its first record.
  virtual void RedrawBasket(bool cleared) = 0;
  // The text the printed order list starts its title with (the title label).
  virtual std::string PrintTitle() const = 0;
};

class OrderDesk {
 public:
  // dm and port must outlive the desk.
  OrderDesk(TDM& dm, OrderDeskPort& port) : dm_(dm), port_(port) {}
  OrderDesk(const OrderDesk&) = delete;
  OrderDesk& operator=(const OrderDesk&) = delete;

  OrderDraft& Draft() { return draft_; }
  const OrderDraft& Draft() const { return draft_; }
  TDM& Session() { return dm_; }

  // The operations of the order keys. Those not built yet do nothing.
  void SendOrder();               // F7, SBF7: not built yet
  void OpenOrder(bool samples);   // F3, SBF3 / Ctrl+F3, SBF3S: not built yet
  void DeleteOrder();             // F8, SBF8: not built yet
  void CopyOrder();               // F6, SBF6: not built yet
  void RegisterSample();          // Ctrl+F7, SBF7S: not built yet
  // F11, SBF11: prints the basket's lines on the current printer.
  void Print();
  // Empties the draft and its header, then redraws (cleared). Asks nothing:
  // also the first activation and the operations that end with a clear
  // screen call it.
  void ClearDraft();
  // F9, SBF9: when the basket holds a line, first asks ClearQuestion (Yes/No)
  // and keeps everything on No; then ClearDraft. True when it cleared.
  bool ClearScreen();
  // Esc: true when the main screen may close; asks first when the basket
  // holds a line (ConfirmExit).
  bool ConfirmExit() const;

 private:
  TDM& dm_;
  OrderDeskPort& port_;
  OrderDraft draft_;
};

}  // namespace tarvik
