#include "text/CodePage.h"

#include <windows.h>

namespace tarvik {
namespace {
constexpr UINT kKorean = 949;
}

std::size_t SystemCp949Width(char32_t cp) {
  wchar_t w[2];
  int n = 1;
  if (cp >= 0x10000) {
    if (cp > 0x10FFFF) return 0;
    w[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
    w[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    n = 2;
  } else {
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    w[0] = static_cast<wchar_t>(cp);
  }
  char out[8];
  BOOL usedDefault = FALSE;
  const int len = WideCharToMultiByte(kKorean, WC_NO_BEST_FIT_CHARS, w, n, out, sizeof out, nullptr,
                                      &usedDefault);
  return len > 0 && !usedDefault ? static_cast<std::size_t>(len) : 0;
}

char32_t SystemCp949Pair(unsigned char lead, unsigned char trail) {
  const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  wchar_t w[2];
  const int n = MultiByteToWideChar(kKorean, MB_ERR_INVALID_CHARS, in, 2, w, 2);
  // Exactly one character from both bytes; the system's stand-in for an
  // undefined pair is no character.
  if (n != 1 || w[0] == 0xFFFD) return 0;
  return w[0];
}

}  // namespace tarvik
