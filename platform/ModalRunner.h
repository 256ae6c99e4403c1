#pragma once
// Every modal screen the main window opens goes through RunModal, so a test
// can answer it in place (drive its keys, then return its result) instead of
// waiting on a nested event loop.
#include <QPointer>
#include <functional>

class QDialog;
class QWidget;

namespace tarvik {

using ModalRunner = std::function<int(QDialog&)>;

// Runs dlg modally (QDialog::exec unless a runner is installed), first moved
// inside its screen's usable area; returns its result code. The window that had the keys before gets them back after.
int RunModal(QDialog& dlg);
// Installs r for every later RunModal; an empty runner restores exec().
void SetModalRunner(ModalRunner r);

// Remembers the window that has the keys when made (the active window, else
// the window of fallback) and activates it again when destroyed, if it is
// still shown. Where no window manager runs, nobody else does: when a modal
// dialog closes, the keys go to the root window and are lost.
class KeysComeBack {
 public:
  explicit KeysComeBack(QWidget* fallback);
  ~KeysComeBack();
  KeysComeBack(const KeysComeBack&) = delete;
  KeysComeBack& operator=(const KeysComeBack&) = delete;

 private:
  QPointer<QWidget> window_;
};

}  // namespace tarvik
