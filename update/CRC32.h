#pragma once
#include <cstdint>
#include <string>

namespace tarvik {

// CRC-32 of the file at path (the gzip/zlib one), read through one fixed
// 65521-byte buffer. A file that cannot be opened gives 0, as an empty one does.
std::uint32_t FileCrc32(const std::string& path);

}  // namespace tarvik
