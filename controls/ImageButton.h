#pragma once
// TImageButton: a button drawn entirely from one picture, a strip of 1 or 4
// frames (normal, mouse over, pressed, disabled), whose window is cut to the
// shape of the pixels that are not the transparent colour. No caption, no
// focus rectangle, no double-click: two quick clicks are two clicks.
//
// Typical use (four frames stacked, as every button of the program):
//   auto* b = new TImageButton(parent);
//   b->setObjectName("SBOK");
//   b->SetPictureAlign(TPictureAlign::paBottom);
//   b->SetPicture(KeyStrip(63, 51, "확인"));     // controls/KeyPicture.h
//   b->move(x, y);                               // size follows the frame
//   connect(b, &TImageButton::OnClick, ...);
#include <QImage>
#include <QRgb>
#include <QWidget>

#include <array>

namespace tarvik {

enum class TPictureAlign { paRight, paBottom };

// The mouse-state rules of the button, without the widget. Frames are
// numbered 0..3 (frame 1 of the strip is 0).
class ImageButtonState {
 public:
  int Current() const { return current_; }
  int PictureCount() const { return count_; }
  bool Clicked() const { return clicked_; }
  bool MouseInside() const { return inside_; }
  bool LeftHeld() const { return held_; }

  // Only 1 and 4 are taken; false (and no change) for anything else.
  bool SetPictureCount(int n);
  // False when the value did not change (then nothing is shown anew).
  bool SetClicked(bool c);
  void Press();
  void Release(bool overButton);
  void Enter();
  void Leave();

 private:
  int current_ = 0;
  int count_ = 4;
  bool clicked_ = false;
  bool inside_ = false;
  bool held_ = false;
};

class TImageButton : public QWidget {
  Q_OBJECT
 public:
  explicit TImageButton(QWidget* parent = nullptr);

  // Copies the strip, cuts the frames, sizes the button to the current frame
  // and shapes the window from that frame's non-transparent pixels.
  void SetPicture(const QImage& strip);
  const QImage& Picture() const { return picture_; }
  // 1 or 4; other values are ignored. Frames are not cut again.
  void SetPictureCount(int n) { state_.SetPictureCount(n); }
  int PictureCount() const { return state_.PictureCount(); }
  // Stores the alignment and cuts the frames again (size and shape stay
  // until the next picture).
  void SetPictureAlign(TPictureAlign a);
  TPictureAlign PictureAlign() const { return align_; }
  // Takes effect at the next SetPicture. Default magenta 0xFF00FF.
  void SetTransparentColor(QRgb c) { transparent_ = c; }
  QRgb TransparentColor() const { return transparent_; }
  // A latched down state shown with frame 3 (four frames only).
  void SetClicked(bool c);
  bool Clicked() const { return state_.Clicked(); }
  // Stored only: the button always takes the size of its current frame.
  void SetAutoSize(bool a);
  bool AutoSize() const { return autoSize_; }

  // What paint draws now: 0..3 (frame 4 while disabled when the strip has it).
  int ShownFrame() const;
  const QImage& Frame(int i) const { return frames_[static_cast<std::size_t>(i)]; }
  // True when the picture has no pixel of another colour than the transparent
  // one: the button is then invisible and lets every click through.
  bool Shapeless() const { return shapeless_; }

 signals:
  void OnClick(TImageButton* sender);
  void OnMouseEnter(TImageButton* sender);
  void OnMouseLeave(TImageButton* sender);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  void CutFrames();
  void FitSize();
  bool Over(const QPoint& p) const;
  void DoEnter();
  void DoLeave();

  ImageButtonState state_;
  QImage picture_;
  std::array<QImage, 4> frames_;
  TPictureAlign align_ = TPictureAlign::paRight;
  QRgb transparent_ = 0xFF00FF;
  bool autoSize_ = true;
  bool shapeless_ = false;
};

}  // namespace tarvik
