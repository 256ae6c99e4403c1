#pragma once
// Socket steps shared by the test servers on 127.0.0.1. Every wait is bounded.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tarvik::test {

// A TCP socket bound to 127.0.0.1 on a free port (written to *port),
// listening when listen is set; -1 when that fails.
int LoopbackSocket(std::uint16_t* port, bool listen);
// Accepts connections on listenFd one at a time, hands each to serve and
// closes it after, until stop is set.
void ServeEach(int listenFd, const std::atomic<bool>& stop, const std::function<void(int)>& serve);
// A connection to 127.0.0.1:port, from another loopback address when from
// is given ("127.0.0.2"), or -1.
int ConnectLoopback(std::uint16_t port, const std::string& from = std::string());
// Sends up to n bytes (never raising SIGPIPE); the count sent, <= 0 on failure.
long SendSome(int fd, const char* data, std::size_t n);
bool SendAll(int fd, const std::string& bytes);  // false when the peer went away
void ShutdownWrite(int fd);
// Reads up to n bytes; the count, 0 at the peer's end, < 0 on failure.
long ReceiveSome(int fd, char* data, std::size_t n);
void CloseSocket(int fd);
bool Readable(int fd);  // within 50 ms

// One HTTP message: the header block and a body of Content-Length bytes; with
// no Content-Length, no body (a request) or up to the peer's end (a reply).
// What came before the peer stopped, the deadline passed, stop was set or
// maxBytes were read.
enum class NoLength { NoBody, ToPeerEnd };
std::string ReadHttpMessage(int fd, const std::atomic<bool>& stop, std::chrono::seconds deadline,
                            NoLength noLength, std::size_t maxBytes);

}  // namespace tarvik::test
