#include "update/CRC32.h"

#include <zlib.h>

#include <cstdio>
#include <memory>

namespace tarvik {

std::uint32_t FileCrc32(const std::string& path) {
  // One fixed buffer per thread: the service may compute CRCs on several threads.
  thread_local unsigned char buffer[65521];
  uLong crc = crc32(0L, Z_NULL, 0);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) return 0;
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
    crc = crc32(crc, buffer, static_cast<uInt>(got));
  }
  return static_cast<std::uint32_t>(crc);
}

}  // namespace tarvik
