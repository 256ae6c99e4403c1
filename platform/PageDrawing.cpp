#include "platform/PageDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "platform/Fonts.h"
#include "platform/QtText.h"

namespace tarvik {

DrawStep DrawStep::Text(int x, int y, int height, std::string text) {
  DrawStep s;
  s.x = x;
  s.y = y;
  s.height = height;
  s.text = std::move(text);
  return s;
}

DrawStep DrawStep::RightText(int rightX, int y, int height, std::string text) {
  DrawStep s = Text(rightX, y, height, std::move(text));
  s.rightAligned = true;
  return s;
}

DrawStep DrawStep::DottedLine(int x1, int y1, int x2, int y2) {
  DrawStep s;
  s.kind = Kind::Line;
  s.x = x1;
  s.y = y1;
  s.x2 = x2;
  s.y2 = y2;
  s.dotted = true;
  return s;
}

namespace {

// A font whose cell (ascent + descent) is cellPx high, as a font height of
// the page asks for.
QFont CellFont(double cellPx) {
  QFont f(KoreanFontFamily());
  const int first = std::max(1, static_cast<int>(std::lround(cellPx)));
  f.setPixelSize(first);
  const QFontMetricsF m(f);
  const double cell = m.ascent() + m.descent();
  if (cell > 0) f.setPixelSize(std::max(1, static_cast<int>(std::lround(first * cellPx / cell))));
  return f;
}

// Draws text with its left end at x. Qt's PDF writer gives the blank glyph
// of some Korean fonts (NanumGothic) the text U+0001, so the text of a PDF
// lost its blanks (searching and copying failed); each word is drawn alone at
// its place and the gaps stand for the blanks.
void DrawWords(QPainter& p, const QFontMetricsF& m, double x, double baseline, const QString& text) {
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = text.indexOf(QLatin1Char(' '), start);
    if (end < 0) end = text.size();
    if (end > start)
      p.drawText(QPointF(x + m.horizontalAdvance(text.left(start)), baseline), text.mid(start, end - start));
    start = end + 1;
  }
}

}  // namespace

void DrawPage(QPainter& p, const PrintPage& page, const PageMapping& map) {
  p.save();
  p.setBackgroundMode(Qt::TransparentMode);
  QPen pen(Qt::black);
  pen.setWidthF(std::max(1.0, map.Width(1)));
  pen.setCapStyle(Qt::FlatCap);
  int fontHeight = -1;
  QFont font;
  for (const DrawStep& s : page.steps) {
    if (s.kind == DrawStep::Kind::Line) {
      pen.setStyle(s.dotted ? Qt::DotLine : Qt::SolidLine);
      p.setPen(pen);
      p.drawLine(QPointF(map.X(s.x), map.Y(s.y)), QPointF(map.X(s.x2), map.Y(s.y2)));
      continue;
    }
    if (s.height != fontHeight) {
      fontHeight = s.height;
      font = CellFont(map.Height(s.height));
    }
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetricsF m(font, p.device());
    const QString text = Q(s.text);
    double left = map.X(s.x);
    if (s.rightAligned) left -= m.horizontalAdvance(text);
    DrawWords(p, m, left, map.Y(s.y) + m.ascent(), text);
  }
  p.restore();
}

}  // namespace tarvik
