#include "platform/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace tarvik {

bool InstallKoreanTranslation() {
  static QPointer<QTranslator> installed;  // gone with the application
  if (installed) return true;
  auto* t = new QTranslator(QCoreApplication::instance());
  if (!t->load(QStringLiteral(":/tarvik/translations/qtbase_ko.qm")) &&
      !t->load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete t;
    return false;
  }
  QCoreApplication::installTranslator(t);
  installed = t;
  return true;
}

}  // namespace tarvik
