#pragma once
// A TCP connect as a probe of the update server.
#include <cstdint>
#include <string>

namespace tarvik {

// True when a TCP connection to host:port is accepted within timeoutMs
// (name lookup included in the usual resolver's time); the connection is
// closed again at once.
bool CanConnect(const std::string& host, std::uint16_t port, int timeoutMs);

}  // namespace tarvik
