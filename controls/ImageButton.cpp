#include "controls/ImageButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/Window.h"

namespace tarvik {

bool ImageButtonState::SetPictureCount(int n) {
  if (n != 1 && n != 4) return false;
  count_ = n;
  return true;
}

bool ImageButtonState::SetClicked(bool c) {
  if (c == clicked_) return false;
  clicked_ = c;
  current_ = (c && count_ == 4) ? 2 : 0;
  return true;
}

void ImageButtonState::Press() {
  held_ = true;
  current_ = count_ == 4 ? 2 : 0;
}

void ImageButtonState::Release(bool overButton) {
  held_ = false;
  current_ = (overButton && count_ == 4) ? 1 : 0;
}

void ImageButtonState::Enter() {
  inside_ = true;
  current_ = count_ == 4 ? (clicked_ ? 2 : 1) : 0;
}

void ImageButtonState::Leave() {
  inside_ = false;
  if (held_) return;
  current_ = (clicked_ && count_ == 4) ? 2 : 0;
}

TImageButton::TImageButton(QWidget* parent) : QWidget(parent) {
  resize(50, 50);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
}

void TImageButton::CutFrames() {
  const int n = state_.PictureCount();
  const int w = align_ == TPictureAlign::paRight ? picture_.width() / n : picture_.width();
  const int h = align_ == TPictureAlign::paBottom ? picture_.height() / n : picture_.height();
  for (int i = 0; i < n; ++i) {
    const QPoint at = align_ == TPictureAlign::paRight ? QPoint(i * w, 0) : QPoint(0, i * h);
    frames_[static_cast<std::size_t>(i)] = picture_.copy(QRect(at, QSize(w, h)));
  }
}

void TImageButton::FitSize() {
  const QImage& f = frames_[static_cast<std::size_t>(state_.Current())];
  if (f.width() > 0 && f.height() > 0) setFixedSize(f.size());
}

void TImageButton::SetPicture(const QImage& strip) {
  picture_ = strip.copy();
  CutFrames();
  FitSize();
  const QImage& f = frames_[static_cast<std::size_t>(state_.Current())];
  const QRegion shape = RegionFromBitmap(f, transparent_);
  // An empty region would mean "no mask" to the toolkit; the window system
  // meant "nothing left", so such a button neither paints nor takes clicks.
  shapeless_ = !f.isNull() && shape.isEmpty();
  setAttribute(Qt::WA_TransparentForMouseEvents, shapeless_);
  if (shapeless_ || f.isNull()) {
    clearMask();
  } else {
    setMask(shape);
  }
  update();
}

void TImageButton::SetPictureAlign(TPictureAlign a) {
  align_ = a;
  CutFrames();
  update();
}

void TImageButton::SetClicked(bool c) {
  if (state_.SetClicked(c)) update();
}

void TImageButton::SetAutoSize(bool a) {
  autoSize_ = a;
  FitSize();
}

int TImageButton::ShownFrame() const {
  if (!isEnabled() && !frames_[3].isNull()) return 3;
  return state_.Current();
}

void TImageButton::paintEvent(QPaintEvent*) {
  if (shapeless_) return;
  QPainter p(this);
  const QImage& f = frames_[static_cast<std::size_t>(ShownFrame())];
  if (f.isNull()) {
    p.fillRect(rect(), palette().button());
    return;
  }
  p.drawImage(0, 0, f);
}

bool TImageButton::Over(const QPoint& p) const {
  return mask().isEmpty() ? rect().contains(p) : mask().contains(p);
}

void TImageButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
  state_.Press();
  update();
}

void TImageButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !state_.LeftHeld()) return QWidget::mouseReleaseEvent(e);
  const bool over = Over(e->position().toPoint());
  state_.Release(over);
  update();
  if (!over && state_.MouseInside()) DoLeave();
  if (over && isEnabled()) emit OnClick(this);
}

// While the button is held the toolkit sends no enter/leave; the mouse table
// still wants them, so crossings are taken from the moves.
void TImageButton::mouseMoveEvent(QMouseEvent* e) {
  if (!state_.LeftHeld()) return QWidget::mouseMoveEvent(e);
  const bool over = Over(e->position().toPoint());
  if (over && !state_.MouseInside()) DoEnter();
  if (!over && state_.MouseInside()) DoLeave();
}

void TImageButton::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press of a quick pair is an ordinary press.
  mousePressEvent(e);
}

void TImageButton::enterEvent(QEnterEvent*) {
  if (!state_.MouseInside()) DoEnter();
}

void TImageButton::leaveEvent(QEvent*) {
  if (state_.MouseInside()) DoLeave();
}

void TImageButton::DoEnter() {
  state_.Enter();
  update();
  emit OnMouseEnter(this);
}

void TImageButton::DoLeave() {
  state_.Leave();
  update();
  emit OnMouseLeave(this);
}

void TImageButton::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange) update();
  QWidget::changeEvent(e);
}

}  // namespace tarvik
