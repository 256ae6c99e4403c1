#pragma once
// The one web server of the vendor, which answers both the service and the
// update files. TARVIK_SERVER=host[:port] overrides host and port (tests and
// the demo point it at loopback); nothing else is configurable.
#include <cstdint>
#include <string>

namespace tarvik {

extern const char* const kVendorHost;  // the vendor's web server host

std::string ServerHost();
std::uint16_t ServerPort();  // 80 unless TARVIK_SERVER names another

}  // namespace tarvik
