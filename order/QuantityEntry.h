#pragma once
// The rules of the quantity dialog TFrmCnt, without widgets: the keypad, the
// two confirm checks and the line entered.
#include <functional>
#include <optional>
#include <string>

namespace tarvik {

class Prompter;

// The dialog's mode: a product from a list ("ADD"), a basket line changed
// ("MODI"), lines typed in by hand ("NEW").
enum class CntMode { Add, Modi, New };

// What the dialog hands back on OK: name and packing unit trimmed, the
// quantity as QuantityText writes it, the note without trailing blanks.
struct EnteredLine {
  std::string name, box, qty, note;
};

// A quantity as an entered line carries it: no thousands separators, at most two
// decimals, no trailing zeros ("3", "2.5", "-4").
std::string QuantityText(double value);
// A quantity text ("," ignored) as a number; 0 when it is not a number.
double QuantityValue(const std::string& text);

// The largest quantity taken without a question: the quantity field's own
// length (4 digits). What lies above it fits only through its extra places
// (two decimals and one more), which is where the first 7 digits of a
// barcode typed into it land.
constexpr double kPlausibleQuantity = 9999;
// Asks, No by default, whether quantity of product is meant (the name and the
// quantity in the question); true at once for a plausible quantity.
bool ConfirmQuantity(Prompter& prompter, const std::string& product, double quantity);

class QuantityEntry {
 public:
  struct Inputs {
    CntMode mode = CntMode::Add;
    std::string name, box;
    std::string unitQty = "0";
    std::string defaultQty = "0";  // "ADD"
    std::string note, quantity;    // "MODI"
  };
  // Adds one line typed in by hand ("NEW"); the order draft's AddDirectLine.
  using AddDirect = std::function<bool(const std::string& name, const std::string& box,
                                       const std::string& qty, const std::string& note)>;

  // The checks' messages and question go through prompter, which must
  // outlive the entry.
  QuantityEntry(const Inputs& in, Prompter& prompter);

  CntMode Mode() const { return mode_; }

  // The fields, as the dialog shows and edits them.
  std::string Name, Box, UnitQty, Note;
  double Quantity = 0;
  bool FirstKeyPending = true;

  // Keypad: the first digit replaces the pre-filled quantity.
  void Digit(int d);
  void Del() { Quantity = 0; }

  enum class Outcome { Stay, CloseOk, Added };
  // Checks quantity and name (showing their messages: Stay) and asks about
  // an implausible quantity (No: Stay); "ADD"/"MODI" then keep the line in Entered and close with OK, "NEW" adds the line
  // through addDirect, empties the fields and stays open (Added).
  Outcome Confirm(const AddDirect& addDirect);
  // The line of the last OK; empty until then and after any other close.
  std::optional<EnteredLine> Entered;

 private:
  CntMode mode_;
  Prompter& prompter_;
};

}  // namespace tarvik
