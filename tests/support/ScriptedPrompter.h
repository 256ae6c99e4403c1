#pragma once
// A Prompter for tests: records every message and question and gives the
// planned answers. A question nobody planned fails the test (and is answered
// No). Handed to what a test drives through its Seams (TestSeams.h).
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/Prompter.h"

namespace tarvik::test {

struct Prompt {
  std::string text;
  std::string caption;
  PromptIcon icon = PromptIcon::None;
  bool question = false;
  bool noByDefault = false;  // a question whose Enter answers No
};

class ScriptedPrompter : public Prompter {
 public:
  void Show(const std::string& text, const std::string& caption, PromptIcon icon) override {
    prompts.push_back({text, caption, icon, false});
  }
  bool AskYesNo(const std::string& text, const std::string& caption, bool noByDefault) override {
    prompts.push_back({text, caption, PromptIcon::Question, true, noByDefault});
    if (answers.empty() && enterAtEveryQuestion) return !noByDefault;
    if (answers.empty()) {
      ADD_FAILURE() << "a question nobody planned an answer for: " << text;
      return false;
    }
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& p : prompts) t.push_back(p.text);
    return t;
  }
  std::string Last() const { return prompts.empty() ? std::string() : prompts.back().text; }
  void Clear() { prompts.clear(); }

  std::vector<Prompt> prompts;
  std::deque<bool> answers;                    // planned answers to AskYesNo
  bool enterAtEveryQuestion = false;           // unplanned questions get their default
};

}  // namespace tarvik::test
