#pragma once
// The widget boundary: the program holds UTF-8 std::string, widgets QString.
#include <QString>
#include <string>

namespace tarvik {
inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
inline std::string S(const QString& s) { return s.toUtf8().toStdString(); }
}  // namespace tarvik
