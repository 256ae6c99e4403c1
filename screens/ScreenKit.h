#pragma once
// Small pieces shared by the screens of the catalogue and the basket.
#include <QColor>
#include <QFont>
#include <QWidget>

#include <string>

class QLineEdit;
class QPushButton;

namespace tarvik {

class TImageButton;

// The sky blue of the screens' frames.
QColor SkyBlue();
// The 12-pixel Korean UI font of the grids (bold when asked).
QFont GridFont(int pixelSize = 12, bool bold = false);

// A line edit that holds at most maxBytes CP949 bytes (a longer text, typed or
// pasted, is cut without splitting a character), never "<" or ">" (the wire
// has no escaping: they would cut a value short or open a tag; they simply do
// not go in) and, with upper, turns small Latin letters into capitals as they
// are typed. The edit's text is fixed before textChanged is emitted, so every
// slot sees the text as it stands; setText is fixed the same way.
void LimitEdit(QLineEdit* edit, std::size_t maxBytes, bool upper);
// The text as LimitEdit lets it into an edit.
QString LimitedText(const QString& text, std::size_t maxBytes, bool upper);

// A speed button: bold grid font, never takes the focus (the keyboard stays
// where the clerk works) and is never a dialog's default button.
QPushButton* SpeedButton(QWidget* parent, const char* name, const QString& caption, const QRect& at);

// The round close button of a screen (objectName "ImgBtnEsc").
TImageButton* MakeCloseButton(QWidget* parent);

// A frameless top-level (or dialog) whose background is the sky-blue frame;
// children are laid out inside a margin of frame pixels.
void MakeFramedWindow(QWidget* w, int frame = 5);

}  // namespace tarvik
