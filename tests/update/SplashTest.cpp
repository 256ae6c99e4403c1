// The start-up screen offscreen: its skin, and the check pass run on its
// timer against the real service.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ServiceFixture.h"
#include "tests/update/UpdateSite.h"
#include "update/Splash.h"

namespace tarvik {
namespace {

TEST(Splash, SkinBitmapShapesTheWindow) {
  test::UpdateSite site;
  EXPECT_EQ(TFrmSplash(site.CheckPlaces()).size(), QSize(402, 268));  // no skin: the plain screen

  QImage skin(300, 200, QImage::Format_RGB32);
  skin.fill(qRgb(0x10, 0x20, 0x30));
  for (int x = 0; x < 300; ++x) skin.setPixel(x, 0, qRgb(0xFF, 0x00, 0xFF));  // transparent top row
  ASSERT_TRUE(skin.save(QString::fromStdString(site.imageDir + "update.bmp"), "BMP"));
  TFrmSplash splash(site.CheckPlaces());
  EXPECT_TRUE(splash.HasSkin());
  EXPECT_EQ(splash.size(), QSize(300, 200));
  EXPECT_FALSE(splash.mask().contains(QPoint(5, 0)));
  EXPECT_TRUE(splash.mask().contains(QPoint(5, 1)));

  // The replacement pass takes the skin from the installed folder's icons.
  UpdatePlaces elsewhere = site.ApplyPlaces();
  elsewhere.ImageDir = site.root + "nowhere/";
  EXPECT_TRUE(TFrmSplash(elsewhere).HasSkin());
}

// Relative luminance (0 black ... 1 white) of an sRGB colour.
double Luminance(QRgb c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(qRed(c)) + 0.7152 * lin(qGreen(c)) + 0.0722 * lin(qBlue(c));
}

// Without update.bmp the black status line stood on a near-black background.
TEST(Splash, WithoutASkinTheStatusLineReadsOnTheCarriedPicture) {
  test::UpdateSite site;
  TFrmSplash splash(site.CheckPlaces());
  EXPECT_FALSE(splash.HasSkin());
  EXPECT_EQ(splash.size(), QSize(402, 268));
  auto* label = splash.findChild<QLabel*>("LblMsg");
  label->setText(QString::fromUtf8("업데이트 서버와 연결중 입니다"));
  const QImage shown = splash.grab().toImage();
  // The background behind the line is what most of its pixels show.
  std::vector<double> behind;
  const QRect line = label->geometry();
  for (int y = line.top(); y <= line.bottom(); ++y)
    for (int x = line.left(); x <= line.right(); ++x) behind.push_back(Luminance(shown.pixel(x, y)));
  const double text = *std::min_element(behind.begin(), behind.end());  // the letters' cores
  std::nth_element(behind.begin(), behind.begin() + behind.size() / 2, behind.end());
  // 7:1 is the contrast the accessibility guidelines ask of small text.
  EXPECT_GE((behind[behind.size() / 2] + 0.05) / (text + 0.05), 7.0);
}

// Esc used to close the screen before its timer fired: no check, and the program just ended.
TEST(Splash, RunsTheCheckOnItsTimerAndClosesOnlyThen) {
  test::UpdateSite site;
  test::ServiceProcess service(false, site.serverDir);
  ASSERT_TRUE(service.Running());
  site.Manifest(test::CrcOf("old program"), "");
  test::ScriptedPrompter prompter;

  TFrmSplash splash(site.CheckPlaces());
  auto* label = splash.findChild<QLabel*>("LblMsg");
  QString shownFirst;
  QTimer::singleShot(100, &splash, [&] {
    shownFirst = label->text();
    QTest::keyClick(&splash, Qt::Key_Escape);
  });
  QTimer guard;  // never hang: a check that does not close the screen fails the test
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &splash, [&] { splash.done(99); });
  guard.start(20000);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(splash.RunCheck(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(600));
  EXPECT_TRUE(guard.isActive());
  EXPECT_TRUE(shownFirst.isEmpty());
  EXPECT_EQ(label->text(), QString::fromUtf8("업데이트 정보를 확인중 입니다.."));
  EXPECT_TRUE(splash.findChild<QProgressBar*>("Gauge1")->isHidden());
  EXPECT_FALSE(splash.isVisible());
  EXPECT_TRUE(prompter.prompts.empty());
}

}  // namespace
}  // namespace tarvik
