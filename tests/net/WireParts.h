#pragma once
// A recorded request taken apart the way the service sees it; the service's usual reply.
#include <string>
#include <vector>

#include "wire/Gzip.h"
#include "tests/support/LoopbackServer.h"

namespace tarvik::test {

struct WireRequest {
  std::string head;                // request line and header lines, CR LF each
  std::vector<std::string> lines;  // the same, split
  std::string body;
  std::string boundary;            // from the Content-Type line
  std::string text;                // the gzip member of the file part, decoded
};

inline WireRequest SplitRequest(const std::string& raw) {
  WireRequest w;
  const auto end = raw.find("\r\n\r\n");
  if (end == std::string::npos) return w;
  w.head = raw.substr(0, end + 2);
  w.body = raw.substr(end + 4);
  for (std::size_t at = 0, crlf; (crlf = w.head.find("\r\n", at)) != std::string::npos; at = crlf + 2) {
    w.lines.push_back(w.head.substr(at, crlf - at));
  }
  const auto b = w.head.find("boundary=");
  if (b != std::string::npos) w.boundary = w.head.substr(b + 9, w.head.find("\r\n", b) - b - 9);
  const auto start = w.body.find("\r\n\r\n");
  const auto stop = w.body.rfind("\r\n--" + w.boundary + "--\r\n");
  if (start != std::string::npos && stop != std::string::npos && stop >= start + 4) {
    GzipDecompress(w.body.substr(start + 4, stop - start - 4), w.text);
  }
  return w;
}

// A reply as the service writes it: gzip, UTF-8, with Content-Length.
inline std::string GzipReply(const std::string& text) {
  return LoopbackServer::HttpReply({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"},
                                   GzipCompress(text));
}

}  // namespace tarvik::test
