#include <QWidget>
#include <QWindow>

#include "platform/Window.h"

namespace tarvik {

void StartWindowMove(QWidget* w) {
  if (!w) return;
  if (QWindow* handle = w->window()->windowHandle()) handle->startSystemMove();
}

}  // namespace tarvik
