// The image button: frames cut from a strip, a shapeless one, and the mouse.
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "controls/ImageButton.h"

namespace tarvik { namespace {

// A strip whose frames are told apart by their fill colour; magenta corners.
QImage FourColourStrip(int w, int h, bool vertical) {
  QImage img(vertical ? w : w * 4, vertical ? h * 4 : h, QImage::Format_RGB32);
  for (int i = 0; i < 4; ++i) {
    const QRect r = vertical ? QRect(0, i * h, w, h) : QRect(i * w, 0, w, h);
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) img.setPixel(x, y, qRgb(10 * (i + 1), 0, 0));
    img.setPixel(r.topLeft(), qRgb(255, 0, 255));
  }
  return img;
}
int FrameTag(const TImageButton& b, int i) { return qRed(b.Frame(i).pixel(5, 5)) / 10 - 1; }

#ifdef _WIN32
constexpr bool kSyntheticMovesHover = false;  // the windows platform takes hovering from the window system only
#else
constexpr bool kSyntheticMovesHover = true;
#endif

TEST(ImageButton, CutsFramesBySizeRuleAndAlignmentAndAShapelessOneTakesNoClicks) {
  TImageButton b;
  b.SetPictureAlign(TPictureAlign::paBottom);
  b.SetPicture(FourColourStrip(63, 51, true));  // a 63 x 204 strip
  EXPECT_EQ(b.Frame(0).size(), QSize(63, 51));
  EXPECT_EQ(b.size(), QSize(63, 51));
  b.resize(200, 200);  // any resize comes back to the frame's size
  EXPECT_EQ(b.size(), QSize(63, 51));
  TImageButton side;
  side.SetPicture(FourColourStrip(30, 20, false));  // paRight by default
  EXPECT_EQ(side.size(), QSize(30, 20));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(FrameTag(b, i) * 10 + FrameTag(side, i), i * 11);
  for (int n : {2, 3, 1}) {  // only 1 and 4 frames exist
    side.SetPictureCount(n);
    EXPECT_EQ(side.PictureCount(), n == 1 ? 1 : 4);
  }
  // A strip of the transparent colour only: a button that takes no clicks.
  QImage magenta(40, 160, QImage::Format_RGB32);
  magenta.fill(qRgb(255, 0, 255));
  b.SetPicture(magenta);
  EXPECT_TRUE(b.Shapeless());
  EXPECT_TRUE(b.testAttribute(Qt::WA_TransparentForMouseEvents));
}

struct ButtonOnForm : ::testing::Test {
  void SetUp() override {
    form.resize(300, 200);
    button->move(20, 20);
    button->SetPictureAlign(TPictureAlign::paBottom);
    button->SetPicture(FourColourStrip(63, 51, true));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }
  QWidget form;
  TImageButton* button = new TImageButton(&form);
  QSignalSpy clicks{button, &TImageButton::OnClick};
  const QPoint in{10, 10};
};

TEST_F(ButtonOnForm, ClickInsideShowsHoverFrameAndQuickPairIsTwoClicks) {
  QTest::mouseMove(button, in);
  EXPECT_EQ(button->ShownFrame(), kSyntheticMovesHover ? 1 : 0);
  QTest::mouseClick(button, Qt::LeftButton, {}, in);
  EXPECT_EQ(button->ShownFrame(), 1);
  EXPECT_EQ(clicks.count(), 1);
  // A quick pair as the window system delivers it: press, release, double-click, release.
  QTest::mouseClick(button, Qt::LeftButton, {}, in);
  QTest::mouseDClick(button, Qt::LeftButton, {}, in);
  QTest::mouseRelease(button, Qt::LeftButton, {}, in);
  EXPECT_EQ(clicks.count(), 3);
  EXPECT_EQ(clicks.at(0).at(0).value<TImageButton*>(), button);
  // A handler that latches the button replaces the hover frame with frame 3.
  QObject::connect(button, &TImageButton::OnClick, button, [](TImageButton* b) { b->SetClicked(true); });
  QTest::mouseClick(button, Qt::LeftButton, {}, in);
  EXPECT_EQ(button->ShownFrame(), 2);
}

}}  // namespace tarvik
