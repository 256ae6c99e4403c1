// The image button: frames cut from a strip, its shape, and the mouse.
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "controls/ImageButton.h"
#include "controls/KeyPicture.h"

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

TEST(ImageButton, CutsFramesBySizeRuleAndAlignment) {
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
}

TEST(ImageButton, ShapeFollowsNonMagentaPixelsAndEmptyShapeTakesNoClicks) {
  TImageButton b;
  b.SetPictureAlign(TPictureAlign::paBottom);
  b.SetPicture(KeyStrip(60, 40, "확인"));
  EXPECT_FALSE(b.Shapeless());
  EXPECT_FALSE(b.mask().contains(QPoint(0, 0)));  // rounded corner cut out
  EXPECT_TRUE(b.mask().contains(QPoint(30, 20)));
  QImage magenta(40, 160, QImage::Format_RGB32);
  magenta.fill(qRgb(255, 0, 255));
  TImageButton ghost;
  ghost.SetPictureAlign(TPictureAlign::paBottom);
  ghost.SetPicture(magenta);
  EXPECT_TRUE(ghost.Shapeless());
  EXPECT_TRUE(ghost.testAttribute(Qt::WA_TransparentForMouseEvents));
  ghost.SetTransparentColor(qRgb(1, 2, 3));  // read at the next picture only
  EXPECT_TRUE(ghost.Shapeless());
  ghost.SetPicture(magenta);
  EXPECT_FALSE(ghost.Shapeless());
}

TEST(ImageButton, ClickedLatchDisabledFrameAndOneFrameStrip) {
  TImageButton b, one;
  b.SetPictureAlign(TPictureAlign::paBottom);
  b.SetPicture(FourColourStrip(20, 20, true));
  one.SetPictureCount(1);  // one frame: only frame 1 is ever shown
  one.SetPicture(FourColourStrip(20, 20, true).copy(0, 0, 20, 20));
  for (TImageButton* x : {&b, &one}) {
    x->SetClicked(true);
    const int clicked = x->ShownFrame();
    x->setEnabled(false);
    EXPECT_EQ(std::make_pair(clicked, x->ShownFrame()), x == &b ? std::make_pair(2, 3) : std::make_pair(0, 0));
  }
  b.setEnabled(true);
  b.SetClicked(false);
  EXPECT_EQ(b.ShownFrame(), 0);
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
