#pragma once
// Windows that fit the screen's usable area. The screens keep their
// specified layout in layout pixels; the program chooses how many device
// pixels a layout pixel takes, before any window exists: the system's own
// scale (its DPI setting: 125 %, 150 % ...) where the main window fits at
// it, else the largest at which it fits, down to 1. Each window is then kept
// inside the usable area (the screen less the taskbar).
class QWidget;

namespace tarvik {

// The primary screen's usable area in device pixels and its dots per inch,
// as the window system tells it before any window exists; width 0 where
// this platform does not tell (Qt's own scale is then kept).
struct ScreenRoom {
  int width = 0;
  int height = 0;
  int dpi = 96;
};
ScreenRoom PrimaryScreenRoom();

// The main window's size in layout pixels (the 1150-pixel layout, on a
// screen wide enough for it: 1152) and the height of all its screens.
constexpr int kLayoutWidth = 1152, kLayoutHeight = 705;

// Device pixels per layout pixel for content of needWidth x needHeight on
// room: dpi / 96 where the content fits at that, else the largest scale at
// which it fits (rounded down to a thousandth), but never below 1 (nor
// above dpi / 96). 0 when room is unknown.
double FitScale(const ScreenRoom& room, int needWidth = kLayoutWidth, int needHeight = kLayoutHeight);

// Before QApplication: where the main window would not fit at the system's
// scale, sets QT_SCALE_FACTOR so that Qt's scale times it is FitScale. A
// QT_SCALE_FACTOR already set (by a support person) is kept. The scale
// chosen, or 0 when nothing was changed.
double ChooseScreenScale();

// Moves w so that its frame lies inside the usable area of its screen (as
// far as its size allows), keeping its size.
void KeepInside(QWidget* w);

}  // namespace tarvik
