#pragma once
// Requests as the client posts them (a multipart POST of a gzip member) or broken, replies read from bytes.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/service/Requests.h"
#include "tests/support/LoopbackSocket.h"
#include "text/Text.h"
#include "wire/Gzip.h"

namespace tarvik::test {

struct Answer {
  int status = 0;    // 0 when no whole reply came
  std::string line;  // the status line, "HTTP/1.1 404 Not Found"
  std::string body;  // as received
  std::string text;  // body gunzipped (empty when it was not gzip)
};

// The multipart body the client posts for a payload (its gzip member).
inline std::string MultipartBody(const std::string& payload, const std::string& boundary = "b") {
  return "--" + boundary + "\r\nContent-Disposition: form-data; name=POST; filename=GZCompressString\r\n" +
         "Content-Type: application/x-gzip\r\n\r\n" + payload + "\r\n--" + boundary + "--\r\n";
}

// A POST of body to path as bytes; contentType empty: the client's multipart one.
inline std::string Post(const std::string& path, const std::string& body,
                        const std::string& contentType = "") {
  return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " +
         (contentType.empty() ? "multipart/form-data; boundary=b" : contentType) +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The client's whole POST of request; RawCallOf: of plain as the gzip member, no envelope added.
inline std::string RawCallOf(const std::string& path, const std::string& plain) {
  return Post(path, MultipartBody(GzipCompress(plain)));
}
inline std::string RawCall(const Req& request) { return RawCallOf(request.path, WrapPostData(request.text)); }
inline std::string RawGet(const std::string& path) {
  return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

// The next whole reply on fd (what follows stays in pending); false when none came within 10 s.
inline bool NextReply(int fd, std::string& pending, Answer& out) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (char buf[65536];;) {
    const std::size_t end = pending.find("\r\n\r\n");
    if (end != std::string::npos) {
      const std::string head = AsciiLower(pending.substr(0, end + 2));
      const std::size_t at = head.find("\r\ncontent-length:");
      const std::size_t length = at == std::string::npos ? 0 : std::strtoull(&head[at + 17], nullptr, 10);
      const std::size_t size = end + 4 + length;
      if (pending.size() >= size) {
        out.line = pending.substr(0, pending.find("\r\n"));
        out.status = std::atoi(out.line.c_str() + out.line.find(' ') + 1);
        out.body = pending.substr(end + 4, size - end - 4);
        out.text.clear();
        if (head.find("\r\ncontent-encoding: gzip") != std::string::npos) GzipDecompress(out.body, out.text);
        pending.erase(0, size);
        return true;
      }
    }
    if (std::chrono::steady_clock::now() > until) return false;
    if (!Readable(fd)) continue;
    const long n = ReceiveSome(fd, buf, sizeof buf);
    if (n <= 0) return false;
    pending.append(buf, static_cast<std::size_t>(n));
  }
}

// One request on a new connection to 127.0.0.1:port (from another loopback address when given) and its reply.
inline Answer Exchange(std::uint16_t port, const std::string& request, const std::string& from = "") {
  Answer a;
  std::string pending;
  const int fd = ConnectLoopback(port, from);
  if (fd >= 0 && SendAll(fd, request) && !NextReply(fd, pending, a)) a = Answer();
  CloseSocket(fd);
  return a;
}
inline std::string Call(std::uint16_t port, const Req& request) { return Exchange(port, RawCall(request)).text; }
inline Answer Get(std::uint16_t port, const std::string& path) { return Exchange(port, RawGet(path)); }

}  // namespace tarvik::test
