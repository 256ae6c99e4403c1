#include "platform/Prompter.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>

#include <algorithm>

#include "platform/ModalRunner.h"
#include "platform/QtText.h"

namespace tarvik {

const char* const kAppTitle = "Tarvik\u2162 \uC8FC\uBB38\uD615";

namespace {

// Qt indents the text of a box without an icon on the left only, so the text
// ran up to the right border; the box widens its right margin to match.
class EvenBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* e) override {
    QMessageBox::showEvent(e);  // sizes the box
    int left = width(), right = 0;
    for (const QLabel* l : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (l->isHidden()) continue;
      left = std::min(left, l->x());
      right = std::max(right, l->geometry().right() + 1);
    }
    const int missing = left - (width() - right);
    if (right == 0 || missing <= 0 || !layout()) return;
    QMargins m = layout()->contentsMargins();
    m.setRight(m.right() + missing);
    layout()->setContentsMargins(m);
    setFixedWidth(width() + missing);
    layout()->activate();
  }
};

QMessageBox::Icon ToIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Stop: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void BoxPrompter::Show(const std::string& text, const std::string& caption, PromptIcon icon) {
  EvenBox box(ToIcon(icon), Q(caption.empty() ? kAppTitle : caption), Q(DisplayLineBreaks(text)),
              QMessageBox::Ok, QApplication::activeWindow());
  KeysComeBack back(nullptr);
  box.exec();
}

bool BoxPrompter::AskYesNo(const std::string& text, const std::string& caption, bool noByDefault) {
  EvenBox box(QMessageBox::Question, Q(caption.empty() ? kAppTitle : caption),
              Q(DisplayLineBreaks(text)), QMessageBox::Yes | QMessageBox::No,
              QApplication::activeWindow());
  box.setDefaultButton(noByDefault ? QMessageBox::No : QMessageBox::Yes);
  KeysComeBack back(nullptr);
  return box.exec() == QMessageBox::Yes;
}

std::string DisplayLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace tarvik
