#pragma once
// The Korean font of the program, on screen and on paper.
#include <QString>

namespace tarvik {

// "굴림" when installed, else NanumGothic, else the toolkit's default.
QString KoreanFontFamily();

}  // namespace tarvik
