#pragma once
// Requests as the client posts them (a multipart POST of a gzip member) or broken, replies read from bytes.
#include <cstdint>
#include <string>

#include "tests/service/Requests.h"

namespace tarvik::test {

struct Answer {
  int status = 0;    // 0 when no whole reply came
  std::string line;  // the status line, "HTTP/1.1 404 Not Found"
  std::string body;  // as received
  std::string text;  // body gunzipped (empty when it was not gzip)
};

// The multipart body the client posts for a payload (its gzip member).
std::string MultipartBody(const std::string& payload, const std::string& boundary = "b");
// A POST of body to path as bytes; contentType empty: the client's multipart one.
std::string Post(const std::string& path, const std::string& body, const std::string& contentType = "");
// The client's whole POST of request; RawCallOf: of plain as the gzip member, no envelope added.
std::string RawCall(const Req& request);
std::string RawCallOf(const std::string& path, const std::string& plain);
std::string RawGet(const std::string& path);

// The next whole reply on fd (what follows stays in pending); false when none came within 10 s.
bool NextReply(int fd, std::string& pending, Answer& out);
// One request on a new connection to 127.0.0.1:port (from another loopback address when given) and its reply.

Answer Exchange(std::uint16_t port, const std::string& request, const std::string& from = "");
inline std::string Call(std::uint16_t port, const Req& request) { return Exchange(port, RawCall(request)).text; }
inline Answer Get(std::uint16_t port, const std::string& path) { return Exchange(port, RawGet(path)); }

}  // namespace tarvik::test
