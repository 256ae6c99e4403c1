#include <windows.h>

#include <QWidget>

#include "platform/Window.h"

namespace tarvik {

void StartWindowMove(QWidget* w) {
  if (!w) return;
  // As if the caption were dragged: the window system's own move loop
  // (SC_MOVE with the mouse flag, 0xF012), after the press gives the capture back.
  const HWND hwnd = reinterpret_cast<HWND>(w->window()->winId());
  ReleaseCapture();
  SendMessageW(hwnd, WM_SYSCOMMAND, 0xF012, 0);
}

}  // namespace tarvik
