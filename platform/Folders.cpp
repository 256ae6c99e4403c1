#include "platform/Folders.h"

#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/QtText.h"

namespace tarvik {

std::string AppDataFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString dir = base + QStringLiteral("/Tarvik");
  QDir().mkpath(dir);
  return S(dir);
}

std::string BasketJournalFolder() {
  return S(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/baskets"));
}

std::string DownloadFilePath() { return AppDataFolder() + "/downfile"; }

std::string IconFolder(const std::string& base) { return base + "icon/"; }

std::string FolderOf(const std::string& path) {
  const auto pos = path.find_last_of('/');
  if (pos == std::string::npos) return "./";
  return path.substr(0, pos + 1);
}

std::string FileNameOf(const std::string& path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
  QSaveFile file(Q(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
    return false;  // an uncommitted QSaveFile removes its temporary file
  }
  return file.commit();
}

}  // namespace tarvik
