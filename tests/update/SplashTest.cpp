// The start-up screen offscreen: its controls, its skin, and the passes run
// through it against the real service.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <chrono>

#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ServiceFixture.h"
#include "tests/update/UpdateSite.h"
#include "update/Splash.h"

namespace tarvik {
namespace {

using test::CrcOf;
using test::UpdateSite;

TEST(Splash, ControlsAsLaidOut) {
  UpdateSite site;
  TFrmSplash splash(site.CheckPlaces());
  EXPECT_EQ(splash.size(), QSize(402, 268));
  EXPECT_FALSE(splash.HasSkin());
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
  auto* lbl = splash.findChild<QLabel*>("LblMsg");
  auto* gauge = splash.findChild<QProgressBar*>("Gauge1");
  auto* timer = splash.findChild<QTimer*>("Timer1");
  ASSERT_TRUE(lbl && gauge && timer);
  EXPECT_EQ(lbl->geometry(), QRect(1, 128, 400, 33));
  EXPECT_EQ(lbl->text(), QString::fromUtf8("업데이트 정보를 확인중 입니다.."));
  EXPECT_EQ(gauge->geometry(), QRect(55, 202, 298, 16));
  EXPECT_TRUE(gauge->isHidden());
  EXPECT_EQ(timer->interval(), 600);
  EXPECT_TRUE(timer->isSingleShot());
  EXPECT_FALSE(timer->isActive());

  splash.ShowProgress(1000, 250);
  EXPECT_FALSE(gauge->isHidden());
  EXPECT_EQ(gauge->maximum(), 1000);
  EXPECT_EQ(gauge->value(), 250);
  splash.HideProgress();
  EXPECT_TRUE(gauge->isHidden());
}

TEST(Splash, SkinBitmapShapesTheWindow) {
  UpdateSite site;
  QImage skin(300, 200, QImage::Format_RGB32);
  skin.fill(qRgb(0x10, 0x20, 0x30));
  for (int x = 0; x < 300; ++x) skin.setPixel(x, 0, qRgb(0xFF, 0x00, 0xFF));  // transparent top row
  QDir().mkpath(QString::fromStdString(site.imageDir));
  ASSERT_TRUE(skin.save(QString::fromStdString(site.imageDir + "update.bmp"), "BMP"));

  TFrmSplash splash(site.CheckPlaces());
  EXPECT_TRUE(splash.HasSkin());
  EXPECT_EQ(splash.size(), QSize(300, 200));
  EXPECT_FALSE(splash.mask().contains(QPoint(5, 0)));
  EXPECT_TRUE(splash.mask().contains(QPoint(5, 1)));

  // The replacement pass takes the skin from the installed folder's icons.
  UpdatePlaces elsewhere = site.ApplyPlaces();
  elsewhere.ImageDir = site.root + "nowhere/";
  elsewhere.TargetDir = site.programDir;
  TFrmSplash applySplash(elsewhere);
  EXPECT_TRUE(applySplash.HasSkin());
}

TEST(Splash, RunsTheCheckOnItsTimerAndCloses) {
  UpdateSite site;
  test::ServiceProcess service(false, site.serverDir);
  ASSERT_TRUE(service.Running());
  site.Manifest(UpdateSite::Sections(CrcOf("old program"), "", "", ""));
  test::ScriptedPrompter prompter;

  TFrmSplash splash(site.CheckPlaces());
  QTimer guard;  // never hang: a check that does not close the screen fails the test
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &splash, [&] { splash.done(99); });
  guard.start(20000);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(splash.RunCheck(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(590));
  EXPECT_TRUE(guard.isActive());
  EXPECT_FALSE(splash.isVisible());
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST(Splash, ReplacementPassShowsTheScreenAndReportsThroughIt) {
  UpdateSite site;
  test::ServiceProcess service(false, site.serverDir);
  ASSERT_TRUE(service.Running());
  const std::string fresh(200000, 'p');
  site.ServeModule(site.exeName, fresh);
  site.Manifest(UpdateSite::Sections(CrcOf(fresh), "", "", "m"));
  QDir().mkpath(QString::fromStdString(site.workDir));
  test::WriteFile(site.workDir + site.exeName, "old program");
  test::WriteFile(site.workDir + "TKClienti.dat", test::ReadFile(site.serverDir + "tkclienti.ini"));
  test::ScriptedPrompter prompter;

  TFrmSplash splash(site.ApplyPlaces());
  EXPECT_EQ(splash.RunApply(), 2);
  EXPECT_TRUE(splash.isVisible());  // stays up until the run ends
  EXPECT_EQ(splash.findChild<QLabel*>("LblMsg")->text(),
            QString::fromUtf8("파일 다운로드중 입니다. ( 1 / 1 )"));
  EXPECT_EQ(splash.Passes().UpdateMessage, " m");
  EXPECT_EQ(test::ReadFile(site.programDir + site.exeName), fresh);
  EXPECT_TRUE(prompter.prompts.empty());
}

}  // namespace
}  // namespace tarvik
