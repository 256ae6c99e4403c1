#include "platform/ModalRunner.h"

#include <QApplication>
#include <QDialog>

#include "platform/ScreenFit.h"

namespace tarvik {

namespace {
ModalRunner& Runner() {
  static ModalRunner r;
  return r;
}
}  // namespace

int RunModal(QDialog& dlg) {
  // Placed by its caller relative to the main window; a screen smaller than
  // the layout would cut it off.
  KeepInside(&dlg);
  if (Runner()) return Runner()(dlg);
  KeysComeBack back(dlg.parentWidget());
  return dlg.exec();
}

void SetModalRunner(ModalRunner r) { Runner() = std::move(r); }

KeysComeBack::KeysComeBack(QWidget* fallback) : window_(QApplication::activeWindow()) {
  if (!window_ && fallback) window_ = fallback->window();
}

KeysComeBack::~KeysComeBack() {
  if (window_ && window_->isVisible()) window_->activateWindow();
}

}  // namespace tarvik
