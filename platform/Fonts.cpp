#include "platform/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace tarvik {

QString KoreanFontFamily() {
  static const QString family = [] {
    const QStringList families = QFontDatabase::families();
    for (const QString& want : {QStringLiteral("굴림"), QStringLiteral("Gulim"),
                                QStringLiteral("NanumGothic"), QStringLiteral("나눔고딕")}) {
      if (families.contains(want, Qt::CaseInsensitive)) return want;
    }
    return QFont().family();
  }();
  return family;
}

}  // namespace tarvik
