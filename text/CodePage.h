#pragma once
// The Korean code page through the system's own converter: iconv on Linux,
// code page 949 of the Windows API on Windows (one file each, chosen by the
// build). Text.cpp walks the bytes itself on top of these two, so both
// platforms read a broken file the same way.
#include <cstddef>

namespace tarvik {

// Bytes that cp takes in CP949, or 0 when CP949 cannot hold it.
std::size_t SystemCp949Width(char32_t cp);

// The code point of the two-byte CP949 character lead, trail, or 0 when
// CP949 defines none there.
char32_t SystemCp949Pair(unsigned char lead, unsigned char trail);

}  // namespace tarvik
