#pragma once
// The basket of up to 99 lines and its header: the order being written on the
// main screen. Plain data and rules; the main screen draws it in the grid SGS
// and the edits EdtDD, EdtNote and ChkBxIOG. Its refusals go through the
// prompter it was made with.
#include <array>
#include <functional>
#include <string>

#include "screens/CellFormat.h"

namespace tarvik {

class Prompter;

constexpr int kMaxDraftLines = 99;
constexpr int kDraftColumns = 14;
// The code of a product typed in by hand.
extern const char* const kDirectCode;  // "YZ"

// Columns of a draft grid row (5-12 stay empty).
enum DraftColumn {
  kDColLineNo = 0,
  kDColName = 1,
  kDColBox = 2,
  kDColQuantity = 3,
  kDColNote = 4,
  kDColCode = 13
};

struct DraftLine {
  std::string LineNo;     // row + 1 as decimal text; empty on an empty row
  std::string GoodsName;
  std::string GoodsBox;
  std::string Quantity;   // decimal text; "," is ignored when read
  std::string LineNote;
  std::string GoodsCode;  // G_CODE or "YZ"; empty marks an empty row
  // Not a grid cell: the line's product is not in this log-in's catalogue
  // (set when an order is opened); it moves with the line and goes with it.
  bool NotSold = false;

  bool Empty() const { return GoodsCode.empty(); }
  void Clear() { *this = DraftLine(); }
  // Cell text of grid column col (columns 5-12 are always empty).
  std::string Cell(int col) const;
};

// How a basket cell is drawn.
CellText DraftCell(int col, const std::string& raw);

// A send of the draft as a new order that may have been stored: the request
// went out whole but no reply was read. The next send asks the service first.
struct UnsureSend {
  std::string body;  // the ORDERH_DATA and ORDERL_DATA text that went out
  std::string at;    // when, local time "yyyy-MM-ddTHH:mm:ss"
  // Not a send: the basket of a journal left at the start, which the service
  // could not be asked about; an order sent from it may hold it with more.
  bool fromJournal = false;
  bool Empty() const { return body.empty(); }
};

class OrderDraft {
 public:
  // The refusals of adding a line (a full draft, a product already in it)
  // are told through prompter, which must outlive the draft; a draft made
  // without one (a copy kept aside, a journal read back) refuses without a
  // word. Like the change hook, the prompter stays with its draft.
  OrderDraft() = default;
  explicit OrderDraft(Prompter& prompter) { hook_.prompter = &prompter; }

  // The header fields are read directly. The program changes them through the
  // setters below, which tell the change hook; a direct write is heard only
  // when a reported change follows it in the same ChangeBatch.
  // Identity of an order reopened from the service (empty for a new order).
  std::string OpenedCode, OpenedDate, OpenedTime, OpenedStatus;
  short SendCount = 0;
  // The send count the service holds (OH_MCOUNT as last read or stored):
  // below SendCount after a send that failed, whose raise stays.
  short StoredSendCount = 0;
  std::string DeliveryDate;  // EdtDD, yymmdd or empty; checked only when sending
  std::string Note;          // EdtNote
  bool BeingWritten = false; // ChkBxIOG: sent with status "X"
  UnsureSend Unsure;         // empty unless the last send's outcome is unknown

  void SetDeliveryDate(const std::string& date);
  void SetNote(const std::string& note);
  void SetBeingWritten(bool on);
  // The identity of an opened order; all empty and 0 make the draft a new
  // order. The service holds sendCount too, unless storedSendCount says less.
  void SetOpened(const std::string& code, const std::string& date, const std::string& time,
                 const std::string& status, short sendCount, short storedSendCount = -1);
  // SendCount + 1 (it stops at the largest 16-bit value).
  void RaiseSendCount();
  void SetUnsure(const UnsureSend& unsure);

  // Called once after every change of the lines or the header (selection
  // moves are no change); replaces the hook set before. Not copied with the
  // draft's contents.
  void SetChangeHook(std::function<void()> hook) { hook_.fn = std::move(hook); }
  // While one is alive, changes are gathered and the hook runs once when the
  // outermost batch ends (if anything changed).
  class ChangeBatch {
   public:
    explicit ChangeBatch(OrderDraft& d) : d_(d) { ++d_.hook_.depth; }
    ~ChangeBatch() {
      if (--d_.hook_.depth == 0 && d_.hook_.pending) d_.Changed();
    }
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

   private:
    OrderDraft& d_;
  };

  // Nothing worth keeping: no line, no delivery date, note or flag, no opened
  // order and no send of unknown outcome.
  bool IsBlank() const;

  static constexpr std::size_t kDeliveryDateChars = 6;
  static constexpr std::size_t kNoteChars = 100;
  static constexpr std::size_t kLineNoteChars = 20;

  // Adds a catalogue product. A code already in the draft shows
  // "이미 발주 내용이 있습니다..." and selects that line; a full draft shows
  // "더이상 입력할 수 없습니다.". True when the line was added (and selected).
  bool AddLine(const std::string& code, const std::string& name, const std::string& box,
               const std::string& quantity, const std::string& note);
  // Adds a product typed in by hand (code "YZ", no duplicate check).
  bool AddDirectLine(const std::string& name, const std::string& box, const std::string& quantity,
                     const std::string& note);
  // Replaces name, box, quantity and note of a used row; the code stays.
  // False for an empty row.
  bool ModifyLine(int row, const std::string& name, const std::string& box,
                  const std::string& quantity, const std::string& note);
  // Removes the selected line; later lines move up and are renumbered. The
  // selection keeps its row index. False (nothing happens) on an empty row.
  bool DeleteLine();
  // Puts line back at row (at most after the last line): later lines move
  // down and are renumbered; it is selected. False when the draft is full
  // or already holds its catalogue product ("이미 발주 내용이 ..." shown).
  bool InsertLine(int row, const DraftLine& line);
  // Empties the lines and the whole header; selects row 0.
  void ClearDraft();
  // Takes the lines and the header of other (as an assignment does) and
  // tells the change hook.
  void ReplaceWith(const OrderDraft& other);
  // Writes a line of an order read from the service into row (0 .. 98) with
  // LineNo row + 1: no duplicate check and no message. Rows are loaded in
  // order from 0, so no gap appears.
  void LoadLine(int row, const std::string& code, const std::string& name, const std::string& box,
                const std::string& quantity, const std::string& note);

  // Row of the line with this catalogue code, or -1.
  int FindCode(const std::string& code) const;
  // Raises the quantity of a line by `by` (a number, "1" for a scan) and
  // selects it. The line's quantity is read as a whole number ("," removed;
  // anything that is not a whole number counts as 0).
  void RaiseQuantity(int row, const std::string& by = "1");
  // A product found by barcode or pasted in a list: added with quantity and
  // an empty note when no line has its code (AddLine), otherwise that line's
  // quantity is raised by quantity (RaiseQuantity). True when the draft changed.
  bool AddOrRaise(const std::string& code, const std::string& name, const std::string& box,
                  const std::string& quantity);
  // Marks the line on row as holding a product that is no longer sold.
  void SetNotSold(int row, bool notSold);
  // Number of used rows (rows 0 .. k-1).
  int LineCount() const;
  bool HasLines() const { return !lines_[0].LineNo.empty(); }

  const DraftLine& Line(int row) const { return lines_.at(row); }
  int Selected() const { return selected_; }
  void Select(int row);

 private:
  // Writes the line into the first empty row and selects it; a full draft
  // shows "더이상 입력할 수 없습니다." and adds nothing.
  bool AddRow(const std::string& code, const std::string& name, const std::string& box,
              const std::string& quantity, const std::string& note);

  // Tells the hook, or remembers the change while a batch is open.
  void Changed();
  // Tells a refusal through the prompter, if there is one.
  void Refuse(const std::string& text) const;

  std::array<DraftLine, kMaxDraftLines> lines_;
  int selected_ = 0;
  // The hook and the prompter stay with their draft: copying a draft copies
  // its contents only.
  struct Hook {
    std::function<void()> fn;
    Prompter* prompter = nullptr;
    int depth = 0;
    bool pending = false;
    Hook() = default;
    Hook(const Hook&) {}
    Hook& operator=(const Hook&) { return *this; }
  } hook_;
};

// Whether the basket holds work a question must guard (leave, clear,
// replace): a line (row 0 has a product code or a name), a note or a
// delivery date (blanks alone are none).
bool HoldsWork(const OrderDraft& draft);

// Leaving the main screen: true at once when the basket holds no work,
// otherwise the answer to "작성중인 내역이 있습니다 \r\r취소하고 종료하시겠습니까?".
bool ConfirmExit(const OrderDraft& draft, Prompter& prompter);

// The quantity text without thousands separators.
std::string StripCommas(const std::string& quantity);

// A quantity counted in hundredths as the basket writes one: no thousands
// separators, no trailing zeros ("3", "2.5", "1200", "-0.05"); exact where
// QuantityText of a double is not (whole numbers past 2^53 / 100).
std::string HundredthsText(long long hundredths);

}  // namespace tarvik
