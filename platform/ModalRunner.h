#pragma once
// Every modal screen the main window opens goes through RunModal, so a test
// can answer it in place (drive its keys, then return its result) instead of
// waiting on a nested event loop.
#include <functional>

class QDialog;

namespace tarvik {

using ModalRunner = std::function<int(QDialog&)>;

// Runs dlg modally (QDialog::exec unless a runner is installed); returns its
// result code.
int RunModal(QDialog& dlg);
// Installs r for every later RunModal; an empty runner restores exec().
void SetModalRunner(ModalRunner r);

}  // namespace tarvik
