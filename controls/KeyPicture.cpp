#include "controls/KeyPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/Fonts.h"
#include "platform/QtText.h"

namespace tarvik {
namespace {

struct Shades {
  QColor top, bottom, edge, text;
};

Shades ToneShades(KeyTone tone) {
  switch (tone) {
    case KeyTone::Grey: return {QColor(0xF4, 0xF4, 0xF4), QColor(0xC8, 0xC8, 0xC8), QColor(0x70, 0x70, 0x70), QColor(0x20, 0x20, 0x20)};
    case KeyTone::Red: return {QColor(0xF2, 0x8A, 0x80), QColor(0xC0, 0x30, 0x28), QColor(0x80, 0x18, 0x10), Qt::white};
    case KeyTone::Green: return {QColor(0x8C, 0xD8, 0x8C), QColor(0x2E, 0x8B, 0x3A), QColor(0x1B, 0x55, 0x22), Qt::white};
    case KeyTone::Blue:
    default: return {QColor(0x8E, 0xC5, 0xF0), QColor(0x2A, 0x6E, 0xC0), QColor(0x16, 0x3E, 0x78), Qt::white};
  }
}

// state 0 normal, 1 mouse over, 2 pressed, 3 disabled
void DrawKey(QPainter& p, const QRect& r, const Shades& base, int state, const QString& label,
             int pixelSize) {
  Shades s = base;
  if (state == 1) {
    s.top = s.top.lighter(115);
    s.bottom = s.bottom.lighter(125);
  } else if (state == 2) {
    std::swap(s.top, s.bottom);
    s.top = s.top.darker(110);
  } else if (state == 3) {
    s = {QColor(0xE6, 0xE6, 0xE6), QColor(0xBE, 0xBE, 0xBE), QColor(0x99, 0x99, 0x99), QColor(0x88, 0x88, 0x88)};
  }
  const qreal radius = qMin(r.width(), r.height()) / 5.0;
  QPainterPath path;
  path.addRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, s.top);
  g.setColorAt(1, s.bottom);
  p.fillPath(path, g);
  p.setPen(QPen(s.edge, 1));
  p.drawPath(path);
  QFont f(KoreanFontFamily());
  f.setBold(true);
  f.setPixelSize(pixelSize > 0 ? pixelSize : qMax(9, r.height() * 2 / 5));
  p.setFont(f);
  p.setPen(s.text);
  const QRect textRect = state == 2 ? r.translated(1, 1) : r;
  p.drawText(textRect, Qt::AlignCenter, label);
}

}  // namespace

QImage KeyStrip(int width, int height, const std::string& label, KeyTone tone, int pixelSize) {
  QImage strip(width, height * 4, QImage::Format_RGB32);
  strip.fill(QColor(0xFF, 0x00, 0xFF));
  QPainter p(&strip);
  // No smoothing at the rim: a blended rim pixel would be neither magenta nor
  // key, and the shape must follow the key exactly.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  const Shades shades = ToneShades(tone);
  for (int i = 0; i < 4; ++i) {
    DrawKey(p, QRect(0, i * height, width, height), shades, i, Q(label), pixelSize);
  }
  return strip;
}

}  // namespace tarvik
