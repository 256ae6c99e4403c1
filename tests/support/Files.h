#pragma once
// Whole files as bytes, for tests. Through QFile, as the program reads them:
// under a Korean Windows the temporary folder is below C:\users\<Korean name>.
#include <QFile>
#include <QString>

#include <string>

namespace tarvik::test {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  QFile in(QString::fromStdString(path));
  if (!in.open(QIODevice::ReadOnly)) return std::string();
  return in.readAll().toStdString();
}

// Whether all of data was written.
inline bool WriteFile(const std::string& path, const std::string& data) {
  QFile out(QString::fromStdString(path));
  return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         out.write(data.data(), static_cast<qint64>(data.size())) == static_cast<qint64>(data.size());
}

// The file's last n bytes (all of a shorter one), for failure messages.
inline std::string ReadTail(const std::string& path, std::size_t n = 2000) {
  const std::string all = ReadFile(path);
  return all.size() > n ? all.substr(all.size() - n) : all;
}

}  // namespace tarvik::test
