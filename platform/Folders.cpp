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

std::string ShownPath(const std::string& path) { return S(QDir::toNativeSeparators(Q(path))); }

std::string FileNameOf(const std::string& path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool CommitWhole(QSaveFile& file, long long size) {
  // QSaveFile::commit() flushes its buffer itself but renames even when that
  // flush fails (a full disk: an empty or cut file over the good one), so the
  // bytes must be in the file whole before it is called.
  if (!file.flush() || file.error() != QFileDevice::NoError || file.size() != size) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
  QSaveFile file(Q(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  const auto size = static_cast<qint64>(bytes.size());
  // An uncommitted QSaveFile removes its temporary file.
  if (file.write(bytes.data(), size) != size) return false;
  return CommitWhole(file, size);
}

bool CopyFolderFiles(const std::string& source, const std::string& target) {
  QDir dir;
  if (!QFileInfo::exists(Q(target)) && !dir.mkdir(Q(target))) return false;
  const QDir src(Q(source));
  const auto entries = src.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QFileInfo& fi : entries) {
    const QString to = Q(target) + fi.fileName();
    // A file is never its own copy: removing the target would remove the source.
    if (QFileInfo(to).canonicalFilePath() == fi.canonicalFilePath()) return false;
    if (QFileInfo::exists(to) && !QFile::remove(to)) return false;
    if (!QFile::copy(fi.absoluteFilePath(), to)) return false;
  }
  return true;
}


}  // namespace tarvik
