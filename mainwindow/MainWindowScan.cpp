// Barcode scans, wherever the focus was when they came (ScanGate).
#include <QLineEdit>

#include "mainwindow/MainWindow.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "platform/QtText.h"

namespace tarvik {

namespace {

std::string NotTakenMessage(const std::vector<std::string>& codes) {
  std::string list;
  for (const std::string& c : codes) list += (list.empty() ? "" : ", ") + c;
  return "스캔한 바코드: " + list + "\r\r열려 있는 창이 있어 발주에 넣지 않았습니다.\r\r창을 닫은 뒤 다시 스캔하십시요.";
}

}  // namespace

void TFrmMain::TakeScan(const std::string& code, QWidget* window) {
  if (window != this) {
    // The dialog in front stays as it was: taking the scan behind it would
    // change the basket where the clerk does not look. Scans that come while
    // this message is shown are named together in the next one.
    scansNotTaken_.push_back(code);
    if (scansNotTaken_.size() > 1) return;
    while (!scansNotTaken_.empty()) {
      const std::vector<std::string> codes = scansNotTaken_;
      seams_.prompter.Show(NotTakenMessage(codes));
      scansNotTaken_.erase(scansNotTaken_.begin(), scansNotTaken_.begin() + static_cast<long>(codes.size()));
    }
    return;
  }
  // As the code typed into the search box and Enter; whatever was typed
  // there before is replaced, so the scan finds its code.
  FocusSearchBox();
  edtGN_->setText(Q(code));
  if (!SearchEnter(false).found) {
    // Named where it was scanned, and replaced by the next scan or key.
    edtGN_->setText(Q(code));
    edtGN_->selectAll();
  }
}

}  // namespace tarvik
