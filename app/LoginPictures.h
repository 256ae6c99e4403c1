#pragma once
// The two pictures of the log-in screen, drawn in code. The field labels are
// part of the right picture, so the fields' places are fixed here too.
#include <QImage>
#include <QRect>

namespace tarvik {

constexpr int kLoginLeftWidth = 402, kLoginRightWidth = 302, kLoginPictureHeight = 268;

// Places on the right picture (its own coordinates): field 0 supplier ID,
// 1 orderer ID, 2 password; button 0 log-in, 1 cancel.
QRect LoginFieldRect(int i);
QRect LoginButtonRect(int i);

QImage LoginLeftPicture();
QImage LoginRightPicture();

}  // namespace tarvik
