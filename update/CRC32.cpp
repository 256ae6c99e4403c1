#include "update/CRC32.h"

#include <QFile>

#include <zlib.h>

#include "platform/QtText.h"

namespace tarvik {

std::uint32_t FileCrc32(const std::string& path) {
  // One fixed buffer per thread: the service may compute CRCs on several threads.
  thread_local char buffer[65521];
  uLong crc = crc32(0L, Z_NULL, 0);
  // Through QFile: on Windows a UTF-8 path given to a narrow C call is read in
  // the ANSI code page, and a folder named in Korean would not be found.
  QFile f(Q(path));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  qint64 got;
  while ((got = f.read(buffer, sizeof buffer)) > 0) {
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(got));
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace tarvik
