#include "platform/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tarvik {

double FitScale(const ScreenRoom& room, int needWidth, int needHeight) {
  if (room.width <= 0 || room.height <= 0 || needWidth <= 0 || needHeight <= 0) return 0;
  const double system = room.dpi > 0 ? room.dpi / 96.0 : 1.0;
  // One device pixel to spare on each axis: Qt rounds the window's size.
  const double fits = std::min(double(room.width - 1) / needWidth, double(room.height - 1) / needHeight);
  if (system <= fits) return system;
  // Never below 1: Qt 6.4's widgets clip each child to its size scaled twice
  // below 1 (buttons cut in half). A screen too small at 1 keeps the 1024
  // width rule of the main window, and the dialogs are moved inside.
  return std::max(std::min(system, 1.0), std::floor(fits * 1000) / 1000);
}

double ChooseScreenScale() {
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return 0;
  const ScreenRoom room = PrimaryScreenRoom();
  const double scale = FitScale(room);
  const double system = room.dpi > 0 ? room.dpi / 96.0 : 1.0;
  if (scale <= 0 || scale >= system) return 0;
  qputenv("QT_SCALE_FACTOR", QByteArray::number(scale / system, 'f', 4));
  return scale;
}

void KeepInside(QWidget* w) {
  const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect room = screen->availableGeometry();
  const QRect frame = w->frameGeometry();
  const int x = std::clamp(frame.x(), room.left(), std::max(room.left(), room.right() + 1 - frame.width()));
  const int y = std::clamp(frame.y(), room.top(), std::max(room.top(), room.bottom() + 1 - frame.height()));
  w->move(w->pos() + QPoint(x - frame.x(), y - frame.y()));
}

}  // namespace tarvik
