#include <QApplication>

#include "app/UDM.h"
#include "catalog/UMain.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(tarvik::Q(tarvik::kAppTitle));
  const QString dir = QCoreApplication::applicationDirPath() + "/";
  tarvik::TDM dm(tarvik::S(dir));
  tarvik::TFrmMain main;
  if (!main.LoggedIn()) return 0;
  main.show();
  return app.exec();
}
