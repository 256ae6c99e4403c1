#pragma once
// Answers the modal dialogs opened through the modal seam, in order: each planned
// step gets the shown dialog, drives it (keys, clicks) and the dialog's result
// goes back to the screen. A screen without a planned step is cancelled.
#include <QApplication>
#include <QDialog>
#include <QTest>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ModalRunner.h"

namespace tarvik::test {

class ModalScript {
 public:
  using Step = std::function<void(QDialog&)>;
  ModalScript() {
    SetModalRunner([this](QDialog& d) {
      opened.push_back(d.objectName().toStdString());
      d.show();
#ifdef _WIN32
      // Windows (under Wine) does not always make a shown dialog the active
      // window: keys sent to the focus widget would stay in the screen's.
      d.activateWindow();
      (void)QTest::qWaitForWindowActive(&d, 5000);
#endif
      QApplication::processEvents();
      if (!steps.empty()) {
        Step s = std::move(steps.front());
        steps.pop_front();
        s(d);
      }
      if (d.isVisible()) d.reject();
      return d.result();
    });
  }
  ~ModalScript() { SetModalRunner({}); }
  void Then(Step s) { steps.push_back(std::move(s)); }

  std::deque<Step> steps;
  std::vector<std::string> opened;  // objectNames, in order
};

}  // namespace tarvik::test
