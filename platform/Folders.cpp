#include "platform/Folders.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <fstream>

#include "platform/QtText.h"

namespace tarvik {

std::string AppDataFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString dir = base + QStringLiteral("/Tarvik");
  QDir().mkpath(dir);
  return S(dir);
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
  const std::string tmp = path + ".tmp";
  bool written = false;
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    written = static_cast<bool>(out);
  }
  if (written && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  std::remove(tmp.c_str());
  return false;
}

}  // namespace tarvik
