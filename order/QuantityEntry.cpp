#include "order/QuantityEntry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/Prompter.h"
#include "screens/CellFormat.h"
#include "text/Text.h"

namespace tarvik {

std::string QuantityText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", value);
  std::string s = buf;
  const auto dot = s.find('.');
  if (dot != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

double QuantityValue(const std::string& text) {
  std::string s;
  for (char c : text)
    if (c != ',') s += c;
  s = TrimBlanks(s);
  if (s.empty()) return 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return 0;
  return v;
}

bool ConfirmQuantity(Prompter& prompter, const std::string& product, double quantity) {
  if (std::fabs(quantity) <= kPlausibleQuantity) return true;
  return prompter.AskYesNo("주문 수량이 " + FormatGrouped(quantity, 2) + " 입니다.\r\r제품: " + product +
                               "\r\r이 수량이 맞습니까?\r\r[아니요]를 누르면 수량을 다시 입력합니다.",
                           std::string(), true);
}

QuantityEntry::QuantityEntry(const Inputs& in, Prompter& prompter) : mode_(in.mode), prompter_(prompter) {
  switch (mode_) {
    case CntMode::Add:
      Name = in.name;
      Box = in.box;
      UnitQty = in.unitQty == "0" ? std::string() : in.unitQty;
      Quantity = QuantityValue(in.defaultQty.empty() ? "0" : in.defaultQty);
      break;
    case CntMode::Modi:
      Name = in.name;
      Box = in.box;
      UnitQty = in.unitQty == "0" ? std::string() : in.unitQty;
      Note = in.note;
      Quantity = QuantityValue(in.quantity.empty() ? "0" : in.quantity);
      break;
    case CntMode::New:
      Name = "직접 제품명을 입력하십시요";
      break;
  }
}

void QuantityEntry::Digit(int d) {
  if (FirstKeyPending) {
    Quantity = 0;
    FirstKeyPending = false;
  }
  Quantity = Quantity * 10 + d;
}

QuantityEntry::Outcome QuantityEntry::Confirm(const AddDirect& addDirect) {
  if (Quantity == 0) {
    prompter_.Show("     주문 수량이 없습니다.     \r\r     수량을 입력해 주십시요.");
    return Outcome::Stay;
  }
  const std::string name = TrimBlanks(Name);
  if (name.empty()) {
    prompter_.Show("     주문 제품명이 없습니다.     \r\r     제품명을 입력해 주십시요.");
    return Outcome::Stay;
  }
  if (!ConfirmQuantity(prompter_, name, Quantity)) return Outcome::Stay;
  const EnteredLine line{name, TrimBlanks(Box), QuantityText(Quantity), TrimRightBlanks(Note)};
  if (mode_ != CntMode::New) {
    Entered = line;
    return Outcome::CloseOk;
  }
  if (addDirect) addDirect(line.name, line.box, line.qty, line.note);
  Name.clear();
  Box.clear();
  UnitQty.clear();
  Note.clear();
  Quantity = 0;
  return Outcome::Added;
}

}  // namespace tarvik
