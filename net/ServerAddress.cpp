#include "net/ServerAddress.h"

#include <cstdlib>
#include <string>

namespace tarvik {

#ifndef TARVIK_DEFAULT_SERVER
#define TARVIK_DEFAULT_SERVER "order.tarvik.co.kr"
#endif
const char* const kVendorHost = TARVIK_DEFAULT_SERVER;

ServerAddress ParseServerAddress(const std::string& text) {
  ServerAddress a;
  a.host = text;
  const auto colon = text.rfind(':');
  if (colon == std::string::npos) return a;
  const std::string p = text.substr(colon + 1);
  char* end = nullptr;
  const long n = std::strtol(p.c_str(), &end, 10);
  if (!p.empty() && end && *end == '\0' && n > 0 && n < 65536) a.port = static_cast<std::uint16_t>(n);
  a.host = text.substr(0, colon);
  return a;
}

ServerAddress ServerAddressAtStart() {
  const char* v = std::getenv("TARVIK_SERVER");
  return ParseServerAddress(v && *v ? v : kVendorHost);
}

}  // namespace tarvik
