#pragma once
// Frameless screens: dragging a header picture or strip moves the window;
// shaped windows take their outline from a bitmap.
#include <QImage>
#include <QRegion>
#include <QRgb>

class QWidget;

namespace tarvik {

// Asks the window system to move w's window as if its caption were dragged.
void StartWindowMove(QWidget* w);

// Makes a left-button press on handle start a window move of handle's window.
void MakeDragHandle(QWidget* handle);

// Region of every pixel whose colour differs from transparent (alpha ignored).
QRegion RegionFromBitmap(const QImage& bitmap, QRgb transparent);

}  // namespace tarvik
