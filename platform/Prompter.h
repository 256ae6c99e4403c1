#pragma once
// Every message box and Yes/No question of the program goes through the
// Prompter the flow was given (Seams, session/Seams.h), so that tests can read
// each text and plan each answer. Texts are UTF-8 and may hold "\r" line
// breaks as the messages are written.
#include <string>

namespace tarvik {

enum class PromptIcon { None, Information, Warning, Stop, Question };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // A modal box with a single OK button. An empty caption means the program title.
  virtual void Show(const std::string& text, const std::string& caption = std::string(),
                    PromptIcon icon = PromptIcon::None) = 0;
  // A modal Yes/No question; true for Yes. Enter answers Yes, or No when
  // noByDefault: a question whose Yes throws typed work away must not take
  // an Enter pressed by habit for a Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption = std::string(),
                        bool noByDefault = false) = 0;
  // A question whose Yes destroys work (clear, delete, leave, replace): No is
  // the default button.
  bool AskToDiscard(const std::string& text) { return AskYesNo(text, std::string(), true); }
};

// The program's prompter: QMessageBox over the active window, the keys given
// back to the window that had them when the box closes.
class BoxPrompter : public Prompter {
 public:
  void Show(const std::string& text, const std::string& caption = std::string(),
            PromptIcon icon = PromptIcon::None) override;
  bool AskYesNo(const std::string& text, const std::string& caption = std::string(),
                bool noByDefault = false) override;
};

// "\r\n" and lone "\r" of the message texts become "\n" for display.
std::string DisplayLineBreaks(const std::string& text);

// The application title, used as the default caption ("TarvikⅢ 주문형").
extern const char* const kAppTitle;

}  // namespace tarvik
