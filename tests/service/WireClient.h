#pragma once
// Talks to the service the way the ordering client does on the wire (a
// multipart POST of a gzip member of "VALUE=<POST_DATA>...</POST_DATA>"), and
// lets tests send broken variants of it.
#include <cstdint>
#include <string>

namespace tarvik::test {

// A command's request as the client posts it: its path and text (elements, without envelope).
struct Req { std::string path, text; };

struct RawReply {
  int status = 0;  // HTTP status; 0 when the exchange failed
  std::string reason, contentType, contentEncoding;
  std::string body;  // as received
  std::string text;  // body gunzipped (empty when it was not gzip)
};

// The multipart body the client posts for a given gzip payload.
std::string MultipartBody(const std::string& boundary, const std::string& payload);
// POST of raw bytes with the given Content-Type to path on 127.0.0.1:port.
RawReply PostRaw(std::uint16_t port, const std::string& path, const std::string& contentType,
                 const std::string& body);
// The request as the client sends it; the reply text.
std::string Call(std::uint16_t port, const Req& request);
RawReply Get(std::uint16_t port, const std::string& path);
// The whole POST of Call as bytes, for tests that write to a socket themselves.
std::string RawCall(const Req& request);

}  // namespace tarvik::test
