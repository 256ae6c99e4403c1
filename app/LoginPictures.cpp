#include "app/LoginPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "controls/KeyPicture.h"

namespace tarvik {
namespace {

QFont UiFont(int pixels, bool bold) {
  QFont f(KoreanFontFamily());
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// A wheel: tyre, rim and five spokes.
void DrawWheel(QPainter& p, QPointF c, qreal r) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1B, 0x26, 0x38));
  p.drawEllipse(c, r, r);
  p.setBrush(QColor(0xC9, 0xD3, 0xDE));
  p.drawEllipse(c, r * 0.6, r * 0.6);
  p.setPen(QPen(QColor(0x6B, 0x7A, 0x8C), r * 0.12, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 5; ++i) {
    const qreal a = i * 72.0 * M_PI / 180.0;
    p.drawLine(c, c + QPointF(std::cos(a) * r * 0.55, std::sin(a) * r * 0.55));
  }
}

// A picture of the log-in's height filled top to bottom from one colour to another.
QImage GradientPicture(int width, const QColor& top, const QColor& bottom) {
  QImage img(width, kLoginPictureHeight, QImage::Format_RGB32);
  QLinearGradient fill(0, 0, 0, img.height());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  QPainter(&img).fillRect(img.rect(), fill);
  return img;
}

}  // namespace

QRect LoginFieldRect(int i) { return QRect(152, 88 + i * 36, 114, 15); }
QRect LoginButtonRect(int i) { return QRect(i == 0 ? 40 : 160, 210, 102, 31); }

QImage LoginLeftPicture() {
  QImage img = GradientPicture(kLoginLeftWidth, QColor(0x1E, 0x4E, 0x8C), QColor(0x0B, 0x22, 0x45));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient glow(QPointF(300, 60), 220);
  glow.setColorAt(0, QColor(255, 255, 255, 70));
  glow.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(img.rect(), glow);

  // Road and a car in side view.
  p.fillRect(QRect(0, 212, img.width(), 56), QColor(0x2A, 0x30, 0x3A));
  p.setPen(QPen(QColor(0xF2, 0xC9, 0x4C), 3, Qt::DashLine));
  p.drawLine(0, 244, img.width(), 244);
  QPainterPath body;
  body.moveTo(70, 200);
  body.lineTo(72, 172);
  body.cubicTo(90, 166, 120, 164, 145, 160);
  body.lineTo(180, 134);
  body.cubicTo(210, 126, 265, 126, 290, 136);
  body.lineTo(325, 160);
  body.cubicTo(345, 163, 352, 172, 352, 186);
  body.lineTo(350, 200);
  body.closeSubpath();
  QLinearGradient paint(0, 126, 0, 200);
  paint.setColorAt(0, QColor(0xE8, 0x4A, 0x3A));
  paint.setColorAt(1, QColor(0x9E, 0x1F, 0x16));
  p.setPen(Qt::NoPen);
  p.setBrush(paint);
  p.drawPath(body);
  QPainterPath glass;
  glass.moveTo(160, 160);
  glass.lineTo(188, 139);
  glass.cubicTo(212, 133, 262, 133, 284, 141);
  glass.lineTo(308, 160);
  glass.closeSubpath();
  p.setBrush(QColor(0xB8, 0xDC, 0xF5));
  p.drawPath(glass);
  p.fillRect(QRect(232, 136, 5, 24), QColor(0x9E, 0x1F, 0x16));
  DrawWheel(p, QPointF(130, 200), 22);
  DrawWheel(p, QPointF(295, 200), 22);

  p.setPen(Qt::white);
  p.setFont(UiFont(34, true));
  p.drawText(QRect(24, 18, 360, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TarvikⅢ"));
  p.setFont(UiFont(15, true));
  p.drawText(QRect(26, 64, 360, 22), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("자동차부품 온라인 발주 시스템"));
  p.setPen(QColor(0xC8, 0xDA, 0xF0));
  p.setFont(UiFont(12, false));
  p.drawText(QRect(26, 88, 360, 18), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("거래처 아이디와 발주자 아이디로 접속하십시요"));
  return img;
}

QImage LoginRightPicture() {
  QImage img = GradientPicture(kLoginRightWidth, QColor(0xF7, 0xFA, 0xFE), QColor(0xDD, 0xE8, 0xF5));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);

  p.setPen(QColor(0x1E, 0x4E, 0x8C));
  p.setFont(UiFont(20, true));
  p.drawText(QRect(28, 22, 250, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("발주자 로그인"));
  p.setPen(QPen(QColor(0x1E, 0x4E, 0x8C), 2));
  p.drawLine(28, 56, 274, 56);

  const QString labels[3] = {QStringLiteral("거래처 ID"), QStringLiteral("발주자 ID"),
                             QStringLiteral("비밀번호")};
  p.setFont(UiFont(14, true));
  for (int i = 0; i < 3; ++i) {
    const QRect field = LoginFieldRect(i);
    p.setPen(QColor(0x22, 0x33, 0x48));
    p.drawText(QRect(36, field.y() - 4, 108, field.height() + 8), Qt::AlignLeft | Qt::AlignVCenter,
               labels[i]);
    const QRectF box = QRectF(field).adjusted(-5, -5, 5, 5);
    p.setPen(QColor(0x8C, 0xA6, 0xC4));
    p.setBrush(Qt::white);
    p.drawRoundedRect(box, 4, 4);
  }
  p.setPen(QColor(0x60, 0x70, 0x84));
  p.setFont(UiFont(11, false));
  p.drawText(QRect(28, 184, 250, 16), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Enter: 다음 칸 · 비밀번호에서 Enter: 로그인"));
  return img;
}

}  // namespace tarvik
