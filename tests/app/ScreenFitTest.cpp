// The main window and category browser inside the usable area at this screen and scale (TARVIK_SHOTS: pictures).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include "mainwindow/MainWindow.h"
#include "platform/ModalRunner.h"
#include "platform/QtText.h"
#include "platform/ScreenFit.h"
#include "session/Session.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSeams.h"

namespace tarvik { namespace {

void Shot(const QString& what) {
  const QString folder = qEnvironmentVariable("TARVIK_SHOTS");
  if (folder.isEmpty()) return;
  const QString name = qEnvironmentVariable("TARVIK_FIT_NAME", QStringLiteral("fit"));
  QGuiApplication::primaryScreen()->grabWindow(0).save(folder + "/" + name + "-" + what + ".png");
}

std::string Text(const QRect& r) {
  return std::to_string(r.width()) + "x" + std::to_string(r.height()) + "+" + std::to_string(r.x()) + "+" +
         std::to_string(r.y());
}

TEST(ScreenFit, TheMainWindowAndTheCategoryBrowserStayInsideTheUsableArea) {
  if (PrimaryScreenRoom().width == 0) GTEST_SKIP() << "this window system tells the screen only to Qt: its own scale";
  test::ScriptedPrompter prompter;
  const Seams seams = test::TestSeams(prompter, "127.0.0.1:1");  // the notices' request is refused at once
  QTemporaryDir dir;
  TDM dm(S(dir.path()) + "/");
  dm.MasterInfo.M_BIGO = "한빛 자동차부품";
  QRect browser;
  SetModalRunner([&browser](QDialog& d) {
    if (d.objectName() != "FrmGPartS") return 0;
    d.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
    QTest::qWait(200);
    browser = d.frameGeometry();
    Shot("browser");
    return 0;
  });
  TFrmMain main(dm, seams, TFrmMain::AlreadyLoggedIn{});
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  main.FirstActivation();
  QTest::qWait(200);
  const QRect room = main.screen()->availableGeometry();
  Shot("main");
  main.findChild<QPushButton*>("SBGPart")->click();
  SetModalRunner(nullptr);
  std::printf("screen %s usable %s scale %.3f: main %s, category browser %s\n",
              Text(main.screen()->geometry()).c_str(), Text(room).c_str(), main.devicePixelRatioF(),
              Text(main.frameGeometry()).c_str(), Text(browser).c_str());
  // The whole layout wherever the screen holds it at a scale of 1 or more.
  EXPECT_EQ(main.width(), main.screen()->geometry().width() >= 1152 ? 1150 : 1024);
  EXPECT_TRUE(room.contains(main.frameGeometry())) << Text(main.frameGeometry()) << " in " << Text(room);
  EXPECT_TRUE(room.contains(browser)) << Text(browser) << " in " << Text(room);
}

}}  // namespace tarvik

int main(int argc, char** argv) {
  tarvik::ChooseScreenScale();
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
