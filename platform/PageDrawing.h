#pragma once
// A printed page as a list of drawing steps, and the one place where its
// units become device pixels.
//
// Page units are 0.1 mm with the origin at the top-left corner of the
// printable area and y growing upwards, so every point on the page has y <= 0
// and a larger -y lies further down.
#include <string>
#include <vector>

class QPainter;

namespace tarvik {

struct DrawStep {
  enum class Kind { Text, Line };
  Kind kind = Kind::Text;
  // Text: the top of the text at y; its left end at x, or its right end at x
  // when rightAligned. Line: from (x, y) to (x2, y2).
  int x = 0, y = 0;
  int x2 = 0, y2 = 0;
  int height = 0;            // text: font height (the full cell, leading included)
  bool rightAligned = false;
  bool dotted = false;       // line: dotted, one unit wide
  std::string text;          // UTF-8

  static DrawStep Text(int x, int y, int height, std::string text);
  static DrawStep RightText(int rightX, int y, int height, std::string text);
  static DrawStep DottedLine(int x1, int y1, int x2, int y2);
};

struct PrintPage {
  std::string jobName;  // the print job's (and a PDF's) title
  int number = 1;       // 1-based page number of the print run
  std::vector<DrawStep> steps;
};

// Page units to device pixels for a device of dpiX × dpiY dots per inch.
class PageMapping {
 public:
  PageMapping(double dpiX, double dpiY) : dpiX_(dpiX), dpiY_(dpiY) {}
  double X(int x) const { return x * dpiX_ / 254.0; }
  double Y(int y) const { return -y * dpiY_ / 254.0; }
  double Height(int h) const { return h * dpiY_ / 254.0; }
  double Width(int w) const { return w * dpiX_ / 254.0; }

 private:
  double dpiX_, dpiY_;
};

// Draws page with p, whose origin is the printable area's top-left corner, on
// a device of the given resolution: black text in the Korean font family on a
// transparent background, black dotted rules.
void DrawPage(QPainter& p, const PrintPage& page, const PageMapping& map);

}  // namespace tarvik
