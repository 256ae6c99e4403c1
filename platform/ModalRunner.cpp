#include "platform/ModalRunner.h"

#include <QDialog>

namespace tarvik {

namespace {
ModalRunner& Runner() {
  static ModalRunner r;
  return r;
}
}  // namespace

int RunModal(QDialog& dlg) {
  if (Runner()) return Runner()(dlg);
  return dlg.exec();
}

void SetModalRunner(ModalRunner r) { Runner() = std::move(r); }

}  // namespace tarvik
