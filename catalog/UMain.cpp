#include "catalog/UMain.h"

#include "app/USecS.h"

namespace tarvik {

TFrmMain::TFrmMain(QWidget* parent) : QWidget(parent) {
  setObjectName("FrmMain");
  loggedIn_ = RunLogin(this);
}

}  // namespace tarvik
