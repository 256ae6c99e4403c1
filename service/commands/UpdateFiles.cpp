#include "service/commands/UpdateFiles.h"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace tarvik::service {

std::string UpdateFilePath(const std::string& updateDir, const std::string& relative) {
  if (updateDir.empty() || relative.empty()) return std::string();
  if (relative.find('\\') != std::string::npos || relative.find('\0') != std::string::npos)
    return std::string();
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = relative.find('/', start);
    const std::string seg = relative.substr(start, slash == std::string::npos ? std::string::npos
                                                                              : slash - start);
    if (seg.empty() || seg == "." || seg == "..") return std::string();
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string dir = updateDir;
  if (dir.back() != '/') dir += '/';
  struct stat st {};
  if (::stat((dir + "current").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) dir += "current/";
  // Links are followed only while they stay inside the folder: a link to a
  // file elsewhere on the machine is not given out.
  std::unique_ptr<char, decltype(&std::free)> base(::realpath(dir.c_str(), nullptr), &std::free),
      file(::realpath((dir + relative).c_str(), nullptr), &std::free);
  if (!base || !file) return std::string();
  const std::string inside = std::string(base.get()) + "/";
  return std::string(file.get()).compare(0, inside.size(), inside) == 0 ? file.get() : std::string();
}

}  // namespace tarvik::service
