#include "order/OrderDraft.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/Prompter.h"
#include "text/Text.h"

namespace tarvik {

const char* const kDirectCode = "YZ";

std::string DraftLine::Cell(int col) const {
  switch (col) {
    case kDColLineNo: return LineNo;
    case kDColName: return GoodsName;
    case kDColBox: return GoodsBox;
    case kDColQuantity: return Quantity;
    case kDColNote: return LineNote;
    case kDColCode: return GoodsCode;
    default: return std::string();
  }
}

std::string StripCommas(const std::string& quantity) {
  std::string s;
  for (char c : quantity)
    if (c != ',') s += c;
  return s;
}

std::string HundredthsText(long long hundredths) {
  const bool negative = hundredths < 0;
  const unsigned long long v =
      negative ? 0ULL - static_cast<unsigned long long>(hundredths) : static_cast<unsigned long long>(hundredths);
  std::string s = std::to_string(v / 100);
  const unsigned long long cents = v % 100;
  if (cents != 0) {
    s += '.';
    s += static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0) s += static_cast<char>('0' + cents % 10);
  }
  return negative ? "-" + s : s;
}

namespace {

// A whole decimal number (optional sign), else 0.
long long WholeOrZero(const std::string& text) {
  const std::string s = StripCommas(text);
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  if (i == s.size() || s.size() - i > 15) return 0;
  for (std::size_t j = i; j < s.size(); ++j)
    if (s[j] < '0' || s[j] > '9') return 0;
  return std::stoll(s);
}

}  // namespace

void OrderDraft::Refuse(const std::string& text) const {
  if (hook_.prompter) hook_.prompter->Show(text);
}

int OrderDraft::FindCode(const std::string& code) const {
  for (int r = 0; r < kMaxDraftLines; ++r)
    if (!lines_[r].GoodsCode.empty() && lines_[r].GoodsCode == code) return r;
  return -1;
}

bool OrderDraft::AddRow(const std::string& code, const std::string& name, const std::string& box,
                        const std::string& quantity, const std::string& note) {
  int row = 0;
  while (row < kMaxDraftLines && !lines_[row].Empty()) ++row;
  if (row == kMaxDraftLines) {
    Refuse("더이상 입력할 수 없습니다.");
    return false;
  }
  DraftLine& l = lines_[row];
  l.GoodsCode = code;
  l.LineNo = std::to_string(row + 1);
  l.GoodsName = name;
  l.GoodsBox = box;
  l.Quantity = quantity;
  l.LineNote = note;
  selected_ = row;
  Changed();
  return true;
}

bool OrderDraft::AddLine(const std::string& code, const std::string& name, const std::string& box,
                         const std::string& quantity, const std::string& note) {
  const int existing = FindCode(code);
  if (existing >= 0) {
    Refuse("이미 발주 내용이 있습니다.\r\r기존의 내용을 수정하십시요.");
    selected_ = existing;
    return false;
  }
  return AddRow(code, name, box, quantity, note);
}

bool OrderDraft::AddDirectLine(const std::string& name, const std::string& box,
                               const std::string& quantity, const std::string& note) {
  return AddRow(kDirectCode, name, box, quantity, note);
}

bool OrderDraft::ModifyLine(int row, const std::string& name, const std::string& box,
                            const std::string& quantity, const std::string& note) {
  if (row < 0 || row >= kMaxDraftLines || lines_[row].Empty()) return false;
  DraftLine& l = lines_[row];
  l.GoodsName = name;
  l.GoodsBox = box;
  l.Quantity = quantity;
  l.LineNote = note;
  Changed();
  return true;
}

bool OrderDraft::DeleteLine() {
  if (lines_[selected_].Empty()) return false;
  for (int r = selected_; r < kMaxDraftLines - 1; ++r) {
    lines_[r] = lines_[r + 1];
    if (lines_[r].GoodsName.empty() && lines_[r].GoodsCode.empty()) {
      lines_[r].LineNo.clear();
      break;
    }
    lines_[r].LineNo = std::to_string(r + 1);
  }
  lines_[kMaxDraftLines - 1].Clear();
  Changed();
  return true;
}

void OrderDraft::ReplaceWith(const OrderDraft& other) {
  *this = other;  // the hook stays
  Changed();
}

bool OrderDraft::InsertLine(int row, const DraftLine& line) {
  const int count = LineCount();
  if (line.GoodsCode != kDirectCode && FindCode(line.GoodsCode) >= 0) {
    Refuse("이미 발주 내용이 있습니다.\r\r기존의 내용을 수정하십시요.");
    return false;
  }
  if (count == kMaxDraftLines) {
    Refuse("더이상 입력할 수 없습니다.");
    return false;
  }
  row = std::clamp(row, 0, count);
  for (int r = count; r > row; --r) {
    lines_[r] = lines_[r - 1];
    lines_[r].LineNo = std::to_string(r + 1);
  }
  lines_[row] = line;
  lines_[row].LineNo = std::to_string(row + 1);
  selected_ = row;
  Changed();
  return true;
}

void OrderDraft::ClearDraft() {
  OpenedCode.clear();
  OpenedDate.clear();
  OpenedTime.clear();
  OpenedStatus.clear();
  SendCount = StoredSendCount = 0;
  DeliveryDate.clear();
  Note.clear();
  BeingWritten = false;
  Unsure = UnsureSend();
  for (auto& l : lines_) l.Clear();
  selected_ = 0;
  Changed();
}

void OrderDraft::LoadLine(int row, const std::string& code, const std::string& name,
                          const std::string& box, const std::string& quantity, const std::string& note) {
  DraftLine& l = lines_.at(static_cast<std::size_t>(row));
  l.GoodsCode = code;
  l.LineNo = std::to_string(row + 1);
  l.GoodsName = name;
  l.GoodsBox = box;
  l.Quantity = quantity;
  l.LineNote = note;
  l.NotSold = false;
  Changed();
}

void OrderDraft::RaiseQuantity(int row, const std::string& by) {
  DraftLine& l = lines_.at(row);
  // Counted in hundredths, the finest step a quantity has.
  const auto step = ParseNumber(StripCommas(by));
  const long long add = step && std::fabs(*step) < 1e12 ? std::llround(*step * 100) : 0;
  l.Quantity = HundredthsText(WholeOrZero(l.Quantity) * 100 + add);
  selected_ = row;
  Changed();
}

void OrderDraft::SetDeliveryDate(const std::string& date) {
  if (date == DeliveryDate) return;
  DeliveryDate = date;
  Changed();
}

void OrderDraft::SetNote(const std::string& note) {
  if (note == Note) return;
  Note = note;
  Changed();
}

void OrderDraft::SetBeingWritten(bool on) {
  if (on == BeingWritten) return;
  BeingWritten = on;
  Changed();
}

void OrderDraft::SetOpened(const std::string& code, const std::string& date, const std::string& time,
                           const std::string& status, short sendCount, short storedSendCount) {
  OpenedCode = code;
  OpenedDate = date;
  OpenedTime = time;
  OpenedStatus = status;
  SendCount = sendCount;
  StoredSendCount = storedSendCount < 0 ? sendCount : storedSendCount;
  Changed();
}

void OrderDraft::RaiseSendCount() {
  if (SendCount < std::numeric_limits<short>::max()) ++SendCount;
  Changed();
}

void OrderDraft::SetUnsure(const UnsureSend& unsure) {
  Unsure = unsure;
  Changed();
}

bool OrderDraft::IsBlank() const {
  return lines_[0].Empty() && lines_[0].GoodsName.empty() && DeliveryDate.empty() && Note.empty() &&
         !BeingWritten && OpenedCode.empty() && Unsure.Empty();
}

void OrderDraft::Changed() {
  if (hook_.depth > 0) {
    hook_.pending = true;
    return;
  }
  hook_.pending = false;
  if (hook_.fn) hook_.fn();
}

bool OrderDraft::AddOrRaise(const std::string& code, const std::string& name, const std::string& box,
                            const std::string& quantity) {
  const int row = FindCode(code);
  if (row < 0) return AddLine(code, name, box, quantity, std::string());
  RaiseQuantity(row, quantity);
  return true;
}

void OrderDraft::SetNotSold(int row, bool notSold) { lines_.at(row).NotSold = notSold; }

int OrderDraft::LineCount() const {
  int k = 0;
  while (k < kMaxDraftLines && !lines_[k].LineNo.empty()) ++k;
  return k;
}

bool HoldsWork(const OrderDraft& draft) {
  // A catalogue product may have an empty name: a basket that starts with one
  // is still a basket, and throwing it away without asking would lose it.
  const DraftLine& first = draft.Line(0);
  return !first.Empty() || !first.GoodsName.empty() || !TrimBlanks(draft.Note).empty() ||
         !TrimBlanks(draft.DeliveryDate).empty();
}

bool ConfirmExit(const OrderDraft& draft, Prompter& prompter) {
  if (!HoldsWork(draft)) return true;
  return prompter.AskToDiscard("작성중인 내역이 있습니다 \r\r취소하고 종료하시겠습니까?");
}

void OrderDraft::Select(int row) { selected_ = std::clamp(row, 0, kMaxDraftLines - 1); }

CellText DraftCell(int col, const std::string& raw) {
  CellText c;
  c.text = TrimRightBlanks(raw);
  c.indent = col == 1 ? 6 : 4;
  if (col == 0 || col == 3) {
    std::string t = c.text;
    if (col == 3) {
      std::string s;
      for (char ch : t)
        if (ch != ',') s += ch;
      t = s;
    }
    const auto v = ParseNumber(t);
    if (v && *v != 0) {
      c.text = FormatGrouped(*v, col == 0 ? 0 : 2);
      c.rightAligned = true;
    } else if (col == 3 && (!v || *v == 0) && (t.empty() || v)) {
      c.text.clear();  // zero or empty is drawn blank
    }
  }
  return c;
}

}  // namespace tarvik
