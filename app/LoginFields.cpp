#include "app/LoginFields.h"

#include <QLineEdit>
#include <QProxyStyle>
#include <QValidator>

#include <algorithm>

namespace tarvik {
namespace {

// Capitals only, and never "<" or ">": the values travel inside the request's
// tags, which have no escaping.
class CapitalsValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    const int before = static_cast<int>(input.left(pos).count(u'<') + input.left(pos).count(u'>'));
    input = input.toUpper().remove(u'<').remove(u'>');
    pos = std::min(pos - before, static_cast<int>(input.size()));
    return Acceptable;
  }
};

// The toolkit's password echo shows a bullet; the program shows "#".
class HashEchoStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* ret) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '#';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, ret);
  }
};

}  // namespace

QLineEdit* MakeCapitalsEdit(QWidget* parent, const char* objectName, int maxLength) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(objectName));
  e->setMaxLength(maxLength);
  e->setValidator(new CapitalsValidator(e));
  return e;
}

QLineEdit* MakePasswordEdit(QWidget* parent, const char* objectName, int maxLength) {
  QLineEdit* e = MakeCapitalsEdit(parent, objectName, maxLength);
  auto* style = new HashEchoStyle;
  style->setParent(e);
  e->setStyle(style);
  e->setEchoMode(QLineEdit::Password);
  e->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhHiddenText | Qt::ImhNoPredictiveText);
  e->setContextMenuPolicy(Qt::NoContextMenu);
  return e;
}

}  // namespace tarvik
