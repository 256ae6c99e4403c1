#include "net/HttpClient.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "net/CallIndex.h"
#include "wire/Gzip.h"
#include "wire/MessageFormat.h"
#include "platform/Folders.h"
#include "text/LocalTime.h"
#include "text/Text.h"

namespace tarvik {
namespace {

// The raw header block of a reply may take at most this many bytes.
constexpr std::size_t kMaxResponseHeaderBytes = 4096;
// A reply body larger than this is refused rather than held in memory.
constexpr std::size_t kMaxResponseBodyBytes = kMaxInflatedBytes;

// "--------DHC" + mmddyyhhnnsszzz of the local time of sending.
std::string MakeBoundary() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  const std::tm tm = LocalTime(secs);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d%02d%03d", tm.tm_mon + 1, tm.tm_mday,
                tm.tm_year % 100, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
  return std::string("--------DHC") + buf;
}

// Blanks and control characters off both ends.
std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// Every line of the header block, the status line and the closing empty
// line included, each trimmed and ended by CR LF.
std::string HeaderLines(const std::string& block) {
  std::string all;
  for (std::size_t start = 0; start < block.size();) {
    auto end = block.find("\r\n", start);
    if (end == std::string::npos) end = block.size();
    all += Trim(block.substr(start, end - start)) + "\r\n";
    start = end + 2;
  }
  return all;
}

// The value of a header of the final reply (not a trailer); empty when it
// has none.
std::string HeaderValue(CURL* curl, const char* name) {
  curl_header* h = nullptr;
  if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &h) != CURLHE_OK || !h || !h->value) return {};
  return Trim(h->value);
}

}  // namespace

std::string FromUtf8(const std::string& bytes) {
  return IsValidUtf8(bytes) ? bytes : std::string();
}

THTTPClient::THTTPClient() : requestNumber_(NextRequestNumber()) {}

PostOutcome THTTPClient::PostRequest(const std::string& server, const std::string& path,
                                     std::uint16_t port, const std::string& request) const {
  const std::string callIndex = MakeTag("CALL_INDEX", TagValue("CALL_INDEX", request));
  PostOutcome out;
  auto failed = [&](const char* step) {
    out.reply = std::string(step) + " Error" + callIndex;
    return out;
  };
  CurlTransfer transfer;
  if (!transfer.Valid() || server.empty() || port == 0) return failed("Open_PostRequest");
  const std::string host = server.find(':') != std::string::npos ? "[" + server + "]" : server;
  const std::string url = "http://" + host + ":" + std::to_string(port) +
                          (path.empty() || path[0] != '/' ? "/" : "") + path;
  CURL* c = transfer.Handle();
  if (curl_easy_setopt(c, CURLOPT_URL, url.c_str()) != CURLE_OK) return failed("Open_PostRequest");
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Tarvik HTTP Client");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_HTTP_CONTENT_DECODING, 0L);  // the body is decoded here
  transfer.SetLimits(limits_);
  transfer.SetHeaderLimit(kMaxResponseHeaderBytes);

  // The text is UTF-8 in memory already: it goes out as it stands.
  const std::string boundary = MakeBoundary();
  const std::string body = "--" + boundary + "\r\n" +
                           "Content-Disposition: form-data; name=POST; filename=GZCompressString\r\n" +
                           "Content-Type: application/x-gzip\r\n\r\n" + GzipCompress(request) + "\r\n--" +
                           boundary + "--\r\n";
  // An empty value removes what libcurl would add on its own.
  transfer.SetHeaders({"Accept-Encoding: gzip, deflate", "Connection: Keep-Alive",
                       "Content-Type: multipart/form-data; boundary=" + boundary, "Expect:", "Accept:"});
  std::string received;
  transfer.SetBodySink([&received](const char* data, std::size_t n) {
    if (received.size() + n > kMaxResponseBodyBytes) return false;
    received.append(data, n);
    return true;
  });
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
  const CURLcode result = transfer.Perform();
  const bool written = transfer.UploadedBytes() >= static_cast<curl_off_t>(body.size());
  out.delivery = written ? Delivery::Unknown : Delivery::NotSent;
  if (result != CURLE_OK) out.transportError = transfer.ErrorText();

  if (result != CURLE_OK && !transfer.HeadersDone() && !transfer.HeaderOverflow())
    return failed("Send_PostRequest");
  if (transfer.HeaderOverflow() || !transfer.HeadersDone()) return failed("SetResponseHeader");
  if (result != CURLE_OK || received.size() <= 1) return failed("SetResponseBuffer");

  const char* contentType = nullptr;
  curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType);
  const std::string type = AsciiLower(contentType ? contentType : "");
  if (type.find("download") != std::string::npos) {
    // A file that could not be written is no download.
    if (!WriteFileReplacing(DownloadFilePath(), received)) return failed("SetResponseBuffer");
    out.reply = "File Download" + callIndex;
  } else if (AsciiLower(HeaderValue(c, "Content-Encoding")).find("gzip") != std::string::npos) {
    std::string text;
    if (!GzipDecompress(received, text)) return failed("ResponseBuffer Decompress");
    if (type.find("utf-8") != std::string::npos) text = FromUtf8(text);
    out.reply = text + callIndex;
  } else {
    out.reply = "<HTTP HEAD>" + HeaderLines(transfer.HeaderBlock()) + "</HTTP HEAD>" + FromUtf8(received) +
                callIndex;
  }
  out.delivery = Delivery::Replied;
  out.date = HeaderValue(c, "Date");
  return out;
}

}  // namespace tarvik
