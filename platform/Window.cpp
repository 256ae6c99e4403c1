#include "platform/Window.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

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

void StartWindowMove(QWidget* w) {
  if (!w) return;
  if (QWindow* handle = w->window()->windowHandle()) handle->startSystemMove();
}

void MakeDragHandle(QWidget* handle) {
  if (handle) handle->installEventFilter(new DragFilter(handle));
}

}  // namespace tarvik
