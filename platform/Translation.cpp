#include "platform/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace tarvik {

namespace {

// Texts Qt 6 added that its Korean catalogue does not have yet: the file
// dialog's type column showed "Folder" among Korean captions.
class MissingKoreanTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    (void)disambiguation;
    (void)n;
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return QString();
    static const struct {
      const char* source;
      const char* korean;
    } kTexts[] = {{"Folder", "폴더"}, {"File Folder", "파일 폴더"}, {"Drive", "드라이브"},
                  {"File", "파일"},   {"%1 File", "%1 파일"},        {"Alias", "바로 가기"}};
    for (const auto& t : kTexts)
      if (qstrcmp(source, t.source) == 0) return QString::fromUtf8(t.korean);
    return QString();
  }
};

}  // namespace

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
  QCoreApplication::installTranslator(new MissingKoreanTexts(t));
  installed = t;
  return true;
}

}  // namespace tarvik
