#pragma once
// Frameless screens: dragging a header picture or strip moves the window.
class QWidget;

namespace tarvik {

// Asks the window system to move w's window as if its caption were dragged.
void StartWindowMove(QWidget* w);

// Makes a left-button press on handle start a window move of handle's window.
void MakeDragHandle(QWidget* handle);

}  // namespace tarvik
