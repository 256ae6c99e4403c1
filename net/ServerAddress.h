#pragma once
// The one web server of the vendor, which answers both the service and the
// update files: the vendor's host on port 80, or the host[:port] a distributor
// built the program with (scripts/build --server, scripts/build-windows
// --server). TARVIK_SERVER=host[:port] overrides both (tests and the demo
// point it at loopback); nothing else is configurable.
#include <cstdint>
#include <string>

namespace tarvik {

extern const char* const kVendorHost;  // the built-in server: "host" or "host:port"

std::string ServerHost();
std::uint16_t ServerPort();  // 80 unless TARVIK_SERVER names another

}  // namespace tarvik
