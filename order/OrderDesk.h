#pragma once
// The main screen's order operations without widgets: the order draft being
// written and what acts on it as a whole (send, open an order or a sample,
// delete, copy, register a sample, print, clear, leave). The desk works on the
// session it is given and reaches the main screen only through its port.
#include <functional>
#include <memory>
#include <string>

#include "order/OrderDraft.h"

namespace tarvik {

class BasketJournal;
class TDM;
struct Seams;
struct UnsureCandidate;

// F9's question, worded as Esc's exit question is.
extern const char* const kClearQuestion;

// After a new order's send whose outcome is unknown.
extern const char* const kUnsureSendMessage;

// What the basket holds, for the main screen's status line: a new order, the
// opened order (date, time, status word, send count), a sample's lines, or
// the stored order the check after a lost reply opened.
enum class BasketOrigin { New, Opened, Sample, FoundAfterLostReply };
std::string BasketStateText(const OrderDraft& draft, BasketOrigin origin);

// Whether the supplier has begun receiving ("I") or received ("O") an order.
bool ReceivedNow(const std::string& status);
// The message the opening of an order gives when the supplier has begun
// receiving ("I") or received ("O") it.
std::string ReceivedMessage(const std::string& status);

// The question that offers the basket an earlier run left: its line count
// and when it was saved ("yyyy-MM-ddTHH:mm:ss", shown as yy/mm/dd HH:MM).
// note, when given, stands before the question itself.
std::string RestoreQuestion(const OrderDraft& left, const std::string& saved, const std::string& note = "");

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
  // A short note of an operation that succeeded without a message box; it
  // stays until the basket's status line is drawn again.
  virtual void ShowNote(const std::string& /*note*/) {}
};

class OrderDesk {
 public:
  // dm, seams and port must outlive the desk. The desk's messages and
  // questions, its requests, its printing and its clock are the seams'.
  OrderDesk(TDM& dm, const Seams& seams, OrderDeskPort& port);
  ~OrderDesk();
  OrderDesk(const OrderDesk&) = delete;
  OrderDesk& operator=(const OrderDesk&) = delete;

  OrderDraft& Draft() { return draft_; }
  const OrderDraft& Draft() const { return draft_; }
  TDM& Session() { return dm_; }

  // The operations of the order keys. Each request blocks until its reply is
  // in (a wait cursor shows meanwhile); every failure shows its message and
  // leaves the draft as it was.

  // F7, SBF7: checks the draft (lines, delivery date, status "I"/"O"), raises
  // SendCount (a failed send keeps the raise), sends the order, then the
  // message to the supplier, shows the success message and clears the draft.
  // A new order whose send went out whole without a reply is kept as unsure
  // (Draft().Unsure); the next F7 first looks for it on the service and
  // offers the order found instead of storing it twice (SettleUnsureSend).
  void SendOrder();
  // F3, SBF3 (orders) / Ctrl+F3, SBF3S (samples): the order list picks an
  // order, which is read and replaces the draft; a basket holding work (HoldsWork) is
  // replaced only after a Yes (No is the default). An order brings its header
  // (code, dates, send count, delivery date, note, status; "X" turns the
  // being-written flag on, "I" and "O" are announced); a sample brings only
  // its lines and stays a new order. Fewer line records than OH_RCOUNT: the
  // lines read so far stay and a message says so. Catalogue lines whose
  // product is not in this log-in's all-products table are marked NotSold
  // and one message says how many.
  void OpenOrder(bool samples);
  // Reads the order (samples: the sample) with this code and puts it into
  // the draft as OpenOrder does after its list.
  void ReadOrder(const std::string& code, bool samples);
  // F8, SBF8: deletes the opened order on the service after a Yes/No
  // question; refused for "I" and "O"; nothing happens for a new draft.
  void DeleteOrder();
  // F6, SBF6: the opened order becomes a new one (lines, delivery date, note
  // and flag stay; its code, dates, status and send count go).
  void CopyOrder();
  // Ctrl+F7, SBF7S: registers the opened order as a sample on the service;
  // only an order the supplier has begun receiving ("I") or received ("O"),
  // as the service says when the draft still holds "A" or "X".
  void RegisterSample();
  // The message to the supplier after a sent order: true when the service
  // stored it; otherwise shows "메세지 보내기 오류입니다..." and gives false.
  bool SendSupplierMessage(const std::string& supplierCode, const std::string& ordererCode,
                           const std::string& sendKind, const std::string& notice);
  // F11, SBF11: prints the basket's lines on the seams' printer.
  void Print();
  // Empties the draft and its header, then redraws (cleared). Asks nothing:
  // also the first activation and the operations that end with a clear
  // screen call it.
  void ClearDraft();
  // F9, SBF9: when the basket holds work (HoldsWork), first asks ClearQuestion (Yes/No)
  // and keeps everything on No; then ClearDraft. True when it cleared.
  bool ClearScreen();
  // F4, SBF4, Delete: removes the basket's line on row (nothing on an empty
  // row); Undo can put it back.
  void DeleteLine(int row);
  // Ctrl+Z: one step back, the last of: a line removed with DeleteLine (put
  // back at its row), the basket cleared by ClearScreen (back whole, header
  // included, while nothing was written since). Any other clear of the
  // basket forgets the step. False when there was nothing to undo.
  bool Undo();
  // Esc: true when the main screen may close; asks first when the basket
  // holds work (ConfirmExit). Leaving removes the basket's journal.
  bool ConfirmExit();

  // From now on the draft is kept in a journal below folder for the session's
  // supplier and orderer (BasketJournal), written at every change and removed
  // when the draft is blank again. Call once, after the log-in and the first
  // ClearDraft. A journal an earlier run left is offered first: Yes restores
  // the basket exactly, No removes the journal; one that cannot be read is
  // renamed aside and the orderer told where it went. A new order it holds
  // is first looked for on the service as a send of unknown outcome is.
  void StartJournal(const std::string& folder);
  // The journal in use, or nullptr before StartJournal.
  const BasketJournal* Journal() const { return journal_.get(); }

  // What the basket holds, worded for the status line.
  std::string BasketState() const { return BasketStateText(draft_, origin_); }

 private:
  // Writes (or removes, for a blank draft) the journal after a change.
  void KeepJournal();
  // Before a new send while an earlier one is unsure: true to go on sending
  // (nothing found, or the clerk chose to), false when the send stops here
  // (the order found was opened, or the service could not be asked).
  bool SettleUnsureSend();
  // Whether the service stored the order a send carried (the order list and
  // the reads of its candidates). Found: found and openReply are the order.
  enum class Lookup { Found, NotFound, CannotCheck };
  // journal: unsure is a journal's basket, which the order may hold with more
  // (JournalCandidates, StoredOrderHoldsLines).
  Lookup LookUpStored(const UnsureSend& unsure, UnsureCandidate& found, std::string& openReply,
                      bool journal = false);
  // Asks whether the journal left by an earlier run (draft left, written at
  // saved) is to be restored. A new order in it is first looked for among
  // the orders stored since (the journal of a send it could not remove):
  // when one holds all its lines, or when the service cannot be asked, the
  // question says so and No is its default; in the second case left is
  // also marked unsure (fromJournal), so that F7 looks again before it
  // sends, and asks, No by default, when an order holds its lines.
  bool OfferLeftJournal(OrderDraft& left, const std::string& saved);
  // Removes the journal of a draft that is done with; a journal left behind
  // would be offered back at the next start, so every failure is told.
  // True when no journal is left.
  bool DropJournal();
  // After a change to the opened order (send, delete, sample) failed with
  // reply: when the service answered it with a refusal, reads the order's
  // header again (ReadStatusAgain) and, when the supplier has begun
  // receiving or received it, tells that (statusMessage of "I" or "O").
  // False otherwise (no answer at all is not asked about twice): the
  // caller's own message, with the service's reason, stands then.
  bool ExplainRefusal(const std::string& reply,
                      const std::function<std::string(const std::string& status)>& statusMessage);
  // Reads the opened order's header again: the draft takes the status and
  // the send count the service holds now, which is returned ("" when it
  // could not be read).
  std::string ReadStatusAgain();

  TDM& dm_;
  const Seams& seams_;
  OrderDeskPort& port_;
  OrderDraft draft_;
  std::unique_ptr<BasketJournal> journal_;
  BasketOrigin origin_ = BasketOrigin::New;
  // The one step Undo takes back.
  struct UndoStep {
    enum class Kind { None, Line, Basket } kind = Kind::None;
    int row = 0;
    DraftLine line;
    OrderDraft basket;
    BasketOrigin origin = BasketOrigin::New;
  } undo_;
  bool journalWarned_ = false;  // a failed write was told; told again only after a success
};

}  // namespace tarvik
