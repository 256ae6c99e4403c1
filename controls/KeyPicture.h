#pragma once
// Frame strips for TImageButton drawn in code: a rounded key with a label,
// four frames stacked top to bottom (normal, mouse over, pressed, disabled),
// magenta (0xFF00FF) outside the key so the button takes the key's shape.
// Use with SetPictureAlign(TPictureAlign::paBottom) and the default
// PictureCount 4.
#include <QColor>
#include <QImage>

#include <string>

#include "platform/Fonts.h"

namespace tarvik {

enum class KeyTone { Blue, Grey, Red, Green };

// A strip of width × 4·height; label is UTF-8 (Korean, digits, "Esc"...).
// pixelSize 0 picks a font size from the key's height.
QImage KeyStrip(int width, int height, const std::string& label, KeyTone tone = KeyTone::Blue,
                int pixelSize = 0);

}  // namespace tarvik
