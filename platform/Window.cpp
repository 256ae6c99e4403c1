#include "platform/Window.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace tarvik {
namespace {

class DragFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* obj, QEvent* ev) override {
    if (ev->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(ev)->button() == Qt::LeftButton) {
      StartWindowMove(static_cast<QWidget*>(obj));
      return true;
    }
    return false;
  }
};

}  // namespace

void MakeDragHandle(QWidget* handle) {
  if (handle) handle->installEventFilter(new DragFilter(handle));
}

QRegion RegionFromBitmap(const QImage& bitmap, QRgb transparent) {
  QRegion region;
  const QImage img = bitmap.convertToFormat(QImage::Format_RGB32);
  const QRgb key = transparent & 0x00FFFFFF;
  const int w = img.width();
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    int x = 0;
    while (x < w) {
      while (x < w && (row[x] & 0x00FFFFFF) == key) ++x;
      const int x0 = x;
      while (x < w && (row[x] & 0x00FFFFFF) != key) ++x;
      if (x0 < w) region += QRect(x0, y, x - x0, 1);
    }
  }
  return region;
}

}  // namespace tarvik
