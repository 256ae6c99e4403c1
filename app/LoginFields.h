#pragma once
// Pieces shared by the log-in and the password change: the capitals-only
// fields, the password field that shows "#", the frame colour.
#include <QColor>

class QLineEdit;
class QWidget;

namespace tarvik {

// The sky-blue of the screens' frames and bars.
inline QColor FrameBlue() { return QColor(166, 202, 240); }

// A field whose letters become capitals as they are typed; at most
// maxLength characters.
QLineEdit* MakeCapitalsEdit(QWidget* parent, const char* objectName, int maxLength);
// The same, shown as one "#" per character, with Latin input only.
QLineEdit* MakePasswordEdit(QWidget* parent, const char* objectName, int maxLength);

}  // namespace tarvik
