#pragma once
// Takes a recorded request apart the way the service would see it.
#include <string>
#include <vector>

#include "net/Gzip.h"

namespace tarvik::test {

struct WireRequest {
  std::string head;                // request line and header lines, CR LF each
  std::vector<std::string> lines;  // the same, split
  std::string body;
  std::string boundary;            // from the Content-Type line
  std::string payload;             // the gzip member of the file part
  std::string text;                // the member decoded
};

inline WireRequest SplitRequest(const std::string& raw) {
  WireRequest w;
  const auto end = raw.find("\r\n\r\n");
  if (end == std::string::npos) return w;
  w.head = raw.substr(0, end + 2);
  w.body = raw.substr(end + 4);
  for (std::size_t at = 0; at < w.head.size();) {
    const auto crlf = w.head.find("\r\n", at);
    w.lines.push_back(w.head.substr(at, crlf - at));
    at = crlf + 2;
  }
  const std::string key = "boundary=";
  const auto b = w.head.find(key);
  if (b != std::string::npos) w.boundary = w.head.substr(b + key.size(), w.head.find("\r\n", b) - b - key.size());
  const auto start = w.body.find("\r\n\r\n");
  const auto stop = w.body.rfind("\r\n--" + w.boundary + "--\r\n");
  if (start != std::string::npos && stop != std::string::npos && stop >= start + 4) {
    w.payload = w.body.substr(start + 4, stop - start - 4);
    GzipDecompress(w.payload, w.text);
  }
  return w;
}

}  // namespace tarvik::test
