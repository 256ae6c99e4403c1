#include "platform/Prompter.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/QtText.h"

namespace tarvik {

const char* const kAppTitle = "Tarvik\u2162 \uC8FC\uBB38\uD615";

namespace {

class BoxPrompter : public Prompter {
 public:
  void Show(const std::string& text, const std::string& caption, PromptIcon icon) override {
    QMessageBox box(ToIcon(icon), Q(caption.empty() ? kAppTitle : caption),
                    Q(DisplayLineBreaks(text)), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
  }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    QMessageBox box(QMessageBox::Question, Q(caption.empty() ? kAppTitle : caption),
                    Q(DisplayLineBreaks(text)), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
  }

 private:
  static QMessageBox::Icon ToIcon(PromptIcon icon) {
    switch (icon) {
      case PromptIcon::Information: return QMessageBox::Information;
      case PromptIcon::Warning: return QMessageBox::Warning;
      case PromptIcon::Stop: return QMessageBox::Critical;
      case PromptIcon::Question: return QMessageBox::Question;
      case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
  }
};

BoxPrompter g_box;
Prompter* g_current = nullptr;

}  // namespace

Prompter& CurrentPrompter() { return g_current ? *g_current : g_box; }
void SetPrompter(Prompter* p) { g_current = p; }

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
