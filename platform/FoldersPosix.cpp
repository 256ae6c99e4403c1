#include <fcntl.h>
#include <unistd.h>

#include <QDir>

#include <cstdio>

#include "platform/Folders.h"
#include "platform/QtText.h"

namespace tarvik {

std::string PerUserWorkFolder() {
  const std::string path = AppDataFolder() + "/update";
  QDir().mkpath(Q(path));
  return path;
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void AppendToFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = ::write(fd, text.data(), text.size());  // O_APPEND: one atomic write
  (void)written;
  ::close(fd);
}

}  // namespace tarvik
