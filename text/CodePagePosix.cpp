#include "text/CodePage.h"

#include <iconv.h>

namespace tarvik {
namespace {

// One conversion of a whole, short input; the bytes written, or 0 when the
// converter refused any of it.
std::size_t Convert(const char* to, const char* from, char* in, std::size_t inLen, char* out,
                    std::size_t outLen) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char* ip = in;
  char* op = out;
  std::size_t il = inLen, ol = outLen;
  const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && il == 0 &&
                  iconv(cd, nullptr, nullptr, &op, &ol) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok ? outLen - ol : 0;
}

}  // namespace

std::size_t SystemCp949Width(char32_t cp) {
  char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                static_cast<char>((cp >> 16) & 0xFF), static_cast<char>((cp >> 24) & 0xFF)};
  char out[8];
  return Convert("CP949", "UTF-32LE", in, sizeof in, out, sizeof out);
}

char32_t SystemCp949Pair(unsigned char lead, unsigned char trail) {
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  unsigned char out[8];
  if (Convert("UTF-32LE", "CP949", in, sizeof in, reinterpret_cast<char*>(out), sizeof out) != 4)
    return 0;
  return static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) |
                               (static_cast<char32_t>(out[3]) << 24));
}

}  // namespace tarvik
