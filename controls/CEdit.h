#pragma once
// TCEdit: a one-line, right-aligned box for numbers. It accepts only the keys
// that can make a number, keeps the typed characters in a raw text of its own
// and shows that number with "," between groups of three digits, optionally
// with a decimal part, a leading minus and a currency character in front.
//
// The quantity field of the quantity dialog is set up as
//   CurrencyPoint = true, CurrencyNegative = true, CurrencySignChar = 0,
//   CurrencySetdigit = 2, SetMaxLength(4).
//
// Enter, Return and Esc are left to the form (ignored by the control). A
// read-only TCEdit takes no typing at all.
//
// CEditRules holds every rule without a widget; TCEdit forwards its keys and
// focus changes to it and shows Shown().
#include <QLineEdit>

#include <string>

namespace tarvik {

class CEditRules {
 public:
  CEditRules();

  // Setting CurrencyPoint, CurrencySign, CurrencySignChar or CurrencySetdigit
  // rebuilds the display at once; CurrencyNegative only affects later typing.
  void SetCurrencyPoint(bool v);
  void SetCurrencyNegative(bool v) { negative_ = v; }
  void SetCurrencySign(bool v);
  void SetCurrencySignChar(char32_t c);  // character 0: nothing is shown for it
  void SetCurrencySetdigit(int digits);
  void SetMaxLength(int n) { maxLength_ = n; }
  bool CurrencyPoint() const { return point_; }
  bool CurrencyNegative() const { return negative_; }
  bool CurrencySign() const { return sign_; }
  char32_t CurrencySignChar() const { return signChar_; }
  int CurrencySetdigit() const { return setDigit_; }
  int MaxLength() const { return maxLength_; }

  // The last converted number. Writing sets the raw text to the number's
  // shortest text (15 significant digits; 0 gives an empty text) and rebuilds.
  double Value() const { return value_; }
  void SetValue(double v);

  // One typed character (backspace is 8). Characters that cannot make a
  // number are dropped without a rebuild; the others rebuild the display.
  void KeyPress(char32_t c);
  // A key before its character is known. numberKey: backspace, a digit key
  // (main keyboard or number pad), minus or period/decimal. hasSelection:
  // the control shows a selection. True when the key's character is to be
  // passed to KeyPress; false when the key is swallowed (no caret move, no
  // deletion). Either way Shown() is what the control shows next.
  bool KeyDown(bool numberKey, bool hasSelection);
  // Leaving the control: a trailing "." disappears from what is shown.
  void Leave();

  const std::string& RawText() const { return raw_; }
  const std::string& DisplayText() const { return display_; }
  bool HasPoint() const { return hasPoint_; }
  // What the control shows (UTF-8), caret at its end.
  const std::string& Shown() const { return shown_; }

  void Reformat();

 private:
  std::string SignText() const;

  bool point_ = false, negative_ = false, sign_ = false;
  char32_t signChar_ = 0;
  int setDigit_ = 0;
  int maxLength_ = 9;
  double value_ = 0;
  std::string raw_, display_, shown_;
  bool hasPoint_ = false;
};

class TCEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TCEdit(QWidget* parent = nullptr);

  CEditRules& Rules() { return rules_; }
  const CEditRules& Rules() const { return rules_; }

  double Value() const { return rules_.Value(); }
  void SetValue(double v);
  // The limit of typed characters (default 9). It hides QLineEdit's
  // setMaxLength on purpose: the shown text with its "," is longer than what
  // was typed and must not be cut, so the line edit itself has no limit.
  void setMaxLength(int n) { rules_.SetMaxLength(n); }
  int maxLength() const { return rules_.MaxLength(); }
  // Re-shows the rules' text after a property change made through Rules().
  void Refresh();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;

 private:
  void ShowRules();
  CEditRules rules_;
};

}  // namespace tarvik
