#include "controls/CEdit.h"

#include <QKeyEvent>

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/QtText.h"
#include "text/Text.h"

namespace tarvik {
namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

CEditRules::CEditRules() { Reformat(); }

void CEditRules::SetCurrencyPoint(bool v) {
  point_ = v;
  Reformat();
}

void CEditRules::SetCurrencySign(bool v) {
  sign_ = v;
  Reformat();
}

void CEditRules::SetCurrencySignChar(char32_t c) {
  signChar_ = c;
  Reformat();
}

void CEditRules::SetCurrencySetdigit(int digits) {
  setDigit_ = digits < 0 ? 0 : digits;
  Reformat();
}

std::string CEditRules::SignText() const {
  if (!sign_ || signChar_ == 0) return std::string();
  return EncodeUtf8(std::u32string(1, signChar_));
}

void CEditRules::SetValue(double v) {
  raw_.clear();
  if (v != 0 && std::isfinite(v)) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    raw_.assign(buf, r.ptr);
    // From 1e15 on (and below 1e-4) the general form is "1e+15": the raw
    // text holds digits, a point and a minus only, so write it out plainly.
    if (raw_.find('e') != std::string::npos) {
      const int n = std::snprintf(nullptr, 0, "%.15f", v);
      raw_.assign(static_cast<std::size_t>(n) + 1, '\0');
      std::snprintf(raw_.data(), raw_.size(), "%.15f", v);
      raw_.resize(static_cast<std::size_t>(n));
      while (raw_.back() == '0') raw_.pop_back();
      if (raw_.back() == '.') raw_.pop_back();
    }
  }
  Reformat();
}

void CEditRules::KeyPress(char32_t c) {
  const bool digit = c >= U'0' && c <= U'9';
  const bool allowed = c == 8 || digit || c == 127 || (c == U'.' && point_) ||
                       (c == U'-' && negative_ && raw_.empty());
  if (!allowed) return;
  const std::size_t limit = static_cast<std::size_t>(maxLength_ + setDigit_ + 1);
  if (c != 8 && raw_.size() >= limit) return;
  if (c == 8) {
    if (!raw_.empty()) raw_.pop_back();
  } else if (c == U'-') {
    raw_ += '-';
  } else if (c == U'.') {
    if (raw_.find('.') == std::string::npos) raw_ += '.';
  } else if (digit) {
    const auto dot = raw_.find('.');
    const bool full = dot != std::string::npos &&
                      raw_.size() - dot - 1 >= static_cast<std::size_t>(setDigit_);
    if (!full) raw_ += static_cast<char>(c);
  }
  Reformat();
}

void CEditRules::Reformat() {
  if (raw_.empty() || raw_ == "-") {
    value_ = 0;
    hasPoint_ = false;
    display_ = SignText() + (raw_ == "-" ? "-" : "");
    shown_ = display_;
    return;
  }
  // A raw text without a digit yet ("." or "-.") reads as 0.
  const char* b = raw_.data();
  const char* e = raw_.data() + raw_.size();
  double v = 0;
  if (std::from_chars(b, e, v).ec != std::errc()) v = 0;
  value_ = v;
  const auto dot = raw_.find('.');
  hasPoint_ = dot != std::string::npos;
  const std::string whole = raw_.substr(0, hasPoint_ ? dot : raw_.size());
  const std::size_t lead = (!whole.empty() && whole[0] == '-') ? 1 : 0;
  const std::size_t digits = whole.size() - lead;
  std::string grouped = whole.substr(0, lead);
  for (std::size_t j = 0; j < digits; ++j) {
    if (j > 0 && (digits - j) % 3 == 0) grouped += ',';
    grouped += whole[lead + j];
  }
  if (point_ && hasPoint_) grouped += raw_.substr(dot);
  display_ = SignText() + grouped;
  shown_ = display_;
}

bool CEditRules::KeyDown(bool numberKey, bool hasSelection) {
  if (hasSelection) raw_.clear();
  if (numberKey) {
    shown_ = display_;
    return true;
  }
  if (EndsWith(display_, ".")) display_.pop_back();
  shown_ = EndsWith(display_, ".0") ? display_.substr(0, display_.size() - 2) : display_;
  return false;
}

void CEditRules::Leave() {
  if (EndsWith(display_, ".")) shown_ = display_.substr(0, display_.size() - 1);
}

TCEdit::TCEdit(QWidget* parent) : QLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  resize(100, 21);
  QLineEdit::setMaxLength(32767);
  // Pasted or composed text would bypass the raw text; only keys make numbers.
  setContextMenuPolicy(Qt::NoContextMenu);
  setDragEnabled(false);
  setAcceptDrops(false);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  ShowRules();
}

void TCEdit::ShowRules() {
  const QString t = Q(rules_.Shown());
  if (text() != t) setText(t);
  setCursorPosition(static_cast<int>(t.size()));
}

void TCEdit::SetValue(double v) {
  rules_.SetValue(v);
  ShowRules();
}

void TCEdit::Refresh() {
  rules_.Reformat();
  ShowRules();
}

void TCEdit::keyPressEvent(QKeyEvent* e) {
  const int k = e->key();
  if (isReadOnly()) {
    // A read-only number stays as it is; the form still gets its keys.
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
      e->ignore();
    } else {
      e->accept();
    }
    return;
  }
  const bool numberKey = k == Qt::Key_Backspace || (k >= Qt::Key_0 && k <= Qt::Key_9) ||
                         k == Qt::Key_Minus || k == Qt::Key_Period ||
                         (k == Qt::Key_Comma && (e->modifiers() & Qt::KeypadModifier));
  const bool passes = rules_.KeyDown(numberKey, hasSelectedText());
  ShowRules();
  if (!passes) {
    // Swallowed here, but the keys a form acts on go on to the form.
    if (k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape) {
      e->ignore();
    } else {
      e->accept();
    }
    return;
  }
  e->accept();
  if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return;
  if (k == Qt::Key_Backspace) {
    rules_.KeyPress(8);
  } else {
    for (char32_t c : e->text().toUcs4()) rules_.KeyPress(c);
  }
  ShowRules();
}

void TCEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  selectAll();
}

void TCEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  rules_.Leave();
  const QString t = Q(rules_.Shown());
  if (text() != t) setText(t);
}

void TCEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton) return;  // no selection-clipboard paste
  QLineEdit::mouseReleaseEvent(e);
}

void TCEdit::inputMethodEvent(QInputMethodEvent* e) { e->ignore(); }

}  // namespace tarvik
