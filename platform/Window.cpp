#include "platform/Window.h"

#include <QBitmap>
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
  // RGB32 makes every pixel opaque, so alpha never decides what is cut. The
  // mask marks the key colour as 1, which a bitmap takes for white (color0):
  // the region is every other pixel.
  const QImage mask = bitmap.convertToFormat(QImage::Format_RGB32)
                          .createMaskFromColor(0xFF000000 | transparent, Qt::MaskInColor);
  return QRegion(QBitmap::fromImage(mask));
}

}  // namespace tarvik
