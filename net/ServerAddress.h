#pragma once
// The one web server of the vendor, which answers both the service and the
// update files: the vendor's host on port 80, or the host[:port] a distributor
// built the program with (scripts/build --server, scripts/build-windows
// --server). TARVIK_SERVER=host[:port] overrides both (tests and the demo
// point it at loopback); each program reads it once, at its start, and hands
// the address on (net/ServiceRequests.h, ServiceLink).
#include <cstdint>
#include <string>

namespace tarvik {

extern const char* const kVendorHost;  // the built-in server: "host" or "host:port"

struct ServerAddress {
  std::string host;
  std::uint16_t port = 80;
};

// "host[:port]": the port after the last ":", 80 when it is absent or no
// number from 1 to 65535.
ServerAddress ParseServerAddress(const std::string& text);

// TARVIK_SERVER, or the built-in server when it is unset or empty. Only a
// program's start calls it.
ServerAddress ServerAddressAtStart();

}  // namespace tarvik
