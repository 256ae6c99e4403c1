#include "net/ServerAddress.h"

#include <cstdlib>
#include <string>

namespace tarvik {

#ifndef TARVIK_DEFAULT_SERVER
#define TARVIK_DEFAULT_SERVER "order.tarvik.co.kr"
#endif
const char* const kVendorHost = TARVIK_DEFAULT_SERVER;

namespace {

// Splits TARVIK_SERVER, or the server built into the program, into host and
// port; port 0 when absent or unusable.
void FromEnv(std::string& host, std::uint16_t& port) {
  host.clear();
  port = 0;
  const char* v = std::getenv("TARVIK_SERVER");
  if (!v || !*v) v = kVendorHost;
  std::string s(v);
  const auto colon = s.rfind(':');
  if (colon != std::string::npos) {
    const std::string p = s.substr(colon + 1);
    char* end = nullptr;
    const long n = std::strtol(p.c_str(), &end, 10);
    if (!p.empty() && end && *end == '\0' && n > 0 && n < 65536) port = static_cast<std::uint16_t>(n);
    s = s.substr(0, colon);
  }
  host = s;
}

}  // namespace

std::string ServerHost() {
  std::string host;
  std::uint16_t port;
  FromEnv(host, port);
  return host;
}

std::uint16_t ServerPort() {
  std::string host;
  std::uint16_t port;
  FromEnv(host, port);
  return port == 0 ? 80 : port;
}

}  // namespace tarvik
