#include "net/HTTP_CLIENT.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "net/CallIndex.h"
#include "net/Gzip.h"
#include "net/MessageFormat.h"
#include "platform/Folders.h"
#include "platform/LocalTime.h"
#include "platform/Text.h"

namespace tarvik {
namespace {

// Header names indexed as GetResponseHeader expects (20 Content-Encoding,
// 26 Content-Type); index 0 stands for all header lines.
constexpr int kHeaderNameCount = 29;
const char* const HeaderNames[kHeaderNameCount] = {
    "ALL",          "Cache-Control",    "Connection",       "Date",
    "Pragma",       "Trailer",          "Transfer-Encoding", "Upgrade",
    "Via",          "Warning",          "Accept-Ranges",    "Age",
    "ETag",         "Location",         "Proxy-Authenticate", "Retry-After",
    "Server",       "Vary",             "WWW-Authenticate", "Allow",
    "Content-Encoding", "Content-Language", "Content-Length", "Content-Location",
    "Content-MD5",  "Content-Range",    "Content-Type",     "Expires",
    "Last_Modified"};

constexpr int kHeaderDate = 3;
constexpr int kHeaderContentEncoding = 20;
constexpr int kHeaderContentType = 26;
// Query code of the announced body length (GetHttpQueryInfoInteger).
constexpr int kQueryContentLength = 5;
// The raw header block of a reply may take at most this many bytes.
constexpr std::size_t kMaxResponseHeaderBytes = 4096;
// Error code recorded when a queried header is absent; it is cleared again.
constexpr int kErrorHeaderNotFound = 12150;

constexpr int kErrorBufferTooSmall = 122;
constexpr int kErrorNoHandle = 6;
// A reply body larger than this is refused rather than held in memory.
constexpr std::size_t kMaxResponseBodyBytes = kMaxInflatedBytes;

// Blanks and control characters off both ends.
std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string SystemMessage(int code) {
  if (code == kErrorHeaderNotFound) return "The requested header could not be located.";
  if (code == kErrorBufferTooSmall) return "The data area passed to a system call is too small.";
  if (code == kErrorNoHandle) return "The handle is invalid.";
  return curl_easy_strerror(static_cast<CURLcode>(code));
}

// Content-Length of a header block; -1 when there is none or it is not a number.
std::int64_t ContentLengthOf(const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    const auto colon = line.find(':');
    if (colon == std::string::npos || AsciiLower(Trim(line.substr(0, colon))) != "content-length") continue;
    const std::string v = Trim(line.substr(colon + 1));
    if (v.empty() || v.size() > 18 || v.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::strtoll(v.c_str(), nullptr, 10);
  }
  return -1;
}

// "A\r\nB\r\n\r\n" -> "A", "B", "": every line of the block, the closing empty one included.
std::vector<std::string> SplitHeaderBlock(const std::string& block) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < block.size()) {
    const auto crlf = block.find("\r\n", start);
    if (crlf == std::string::npos) {
      lines.push_back(Trim(block.substr(start)));
      break;
    }
    lines.push_back(Trim(block.substr(start, crlf - start)));
    start = crlf + 2;
  }
  return lines;
}

}  // namespace

std::string FromUtf8(const std::string& bytes) {
  return IsValidUtf8(bytes) ? bytes : std::string();
}

THTTPClient::THTTPClient()
    : requestNumber_(NextRequestNumber()), limits_(RequestLimits()), agent_("Tarvik HTTP Client") {}

THTTPClient::~THTTPClient() = default;

std::string THTTPClient::MakeBoundary() {
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

void THTTPClient::SetError(int code, const std::string& step) {
  ClearError();
  errorCode_ = code;
  char line[64];
  std::snprintf(line, sizeof line, "Error Code : %d", code);
  errorLines_.push_back(line);
  errorLines_.push_back("Error Func : " + step);
  errorLines_.push_back("Meaasge    : " + SystemMessage(code));
}

void THTTPClient::ClearError() {
  errorCode_ = 0;
  errorLines_.clear();
}

bool THTTPClient::Open_PostRequest(const std::string& server, const std::string& path,
                                   std::uint16_t port) {
  if (server != server_) server_ = server;
  if (path != path_) path_ = path;
  if (port != port_) port_ = port;
  if (!transfer_) {
    transfer_ = std::make_unique<CurlTransfer>();
    if (!transfer_->Valid()) {
      SetError(CURLE_FAILED_INIT, "InternetOpen");
      return false;
    }
  }
  if (server_.empty() || port_ == 0) {
    SetError(CURLE_URL_MALFORMAT, "InternetConnect");
    return false;
  }
  const std::string host = server_.find(':') != std::string::npos ? "[" + server_ + "]" : server_;
  const std::string url = "http://" + host + ":" + std::to_string(port_) +
                          (path_.empty() || path_[0] != '/' ? "/" : "") + path_;
  CURL* c = transfer_->Handle();
  const CURLcode rc = curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  if (rc != CURLE_OK) {
    SetError(rc, "HttpOpenRequest");
    return false;
  }
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, agent_.c_str());
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_HTTP_CONTENT_DECODING, 0L);  // the body is decoded here
  transfer_->SetLimits(limits_);
  transfer_->SetHeaderLimit(kMaxResponseHeaderBytes);
  return true;
}

bool THTTPClient::Send_PostRequest(const std::string& request, bool /*convertToUtf8*/) {
  if (!transfer_ || !transfer_->Valid()) {
    SetError(kErrorNoHandle, "PostRequest_GZCompress");
    return false;
  }
  // The text is UTF-8 in memory already, so converting it changes nothing.
  const std::string boundary = MakeBoundary();
  const std::vector<std::string> headers = {"Accept-Encoding: gzip, deflate", "Connection: Keep-Alive",
                                            "Content-Type: multipart/form-data; boundary=" + boundary};
  const std::string payload = GzipCompress(request);
  requestBody_.clear();
  requestBody_ += "--" + boundary + "\r\n";
  requestBody_ += "Content-Disposition: form-data; name=POST; filename=GZCompressString\r\n";
  requestBody_ += "Content-Type: application/x-gzip\r\n";
  requestBody_ += "\r\n";
  requestBody_ += payload;
  requestBody_ += "\r\n--" + boundary + "--\r\n";

  std::vector<std::string> lines = headers;
  // An empty value removes what libcurl would add on its own.
  lines.push_back("Expect:");
  lines.push_back("Accept:");
  transfer_->SetHeaders(lines);
  received_.clear();
  transfer_->SetBodySink([this](const char* data, std::size_t n) {
    if (received_.size() + n > kMaxResponseBodyBytes) return false;
    received_.append(data, n);
    return true;
  });
  CURL* c = transfer_->Handle();
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size()));
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, requestBody_.data());
  result_ = transfer_->Perform();
  requestWritten_ = transfer_->UploadedBytes() >= static_cast<curl_off_t>(requestBody_.size());
  if (result_ != CURLE_OK) transportError_ = transfer_->ErrorText();
  // Up to the end of the reply's header block the failure is the send's; a
  // later one is the body read's (SetResponseBuffer), a long header block
  // SetResponseHeader's.
  if (result_ != CURLE_OK && !transfer_->HeadersDone() && !transfer_->HeaderOverflow()) {
    SetError(result_, "PostRequest_GZCompress");
    return false;
  }
  return true;
}

bool THTTPClient::SetResponseHeader() {
  responseHeaders_.clear();
  if (!transfer_ || transfer_->HeaderOverflow() || !transfer_->HeadersDone()) {
    SetError(kErrorBufferTooSmall, "HttpQueryInfo[HTTP_QUERY_RAW_HEADERS_CRLF]");
    return false;
  }
  responseHeaders_ = SplitHeaderBlock(transfer_->HeaderBlock());
  announced_ = GetHttpQueryInfoInteger(kQueryContentLength);
  bytesRead_ = 0;
  return true;
}

std::int64_t THTTPClient::GetHttpQueryInfoInteger(int code) {
  std::int64_t value = -1;
  if (code == kQueryContentLength) value = ContentLengthOf(responseHeaders_);
  if (value < 0) {
    SetError(kErrorHeaderNotFound, "GetHttpQueryInfoInteger");
    ClearError();  // an absent header is no failure
    return 0;
  }
  return value;
}

bool THTTPClient::SetResponseBuffer() {
  body_.clear();
  if (!transfer_) {
    SetError(kErrorNoHandle, "InternetReadFile");
    return false;
  }
  if (result_ != CURLE_OK) {
    SetError(result_, "InternetReadFile");
    return false;
  }
  body_.swap(received_);
  bytesRead_ = static_cast<std::int64_t>(body_.size());
  return body_.size() > 1;
}

std::string THTTPClient::ReplyDate() const { return GetResponseHeader(kHeaderDate); }

std::string THTTPClient::GetResponseHeader(int index) const {
  if (responseHeaders_.empty() || index < 0 || index >= kHeaderNameCount) return std::string();
  if (index == 0) {
    std::string all;
    for (const auto& l : responseHeaders_) all += l + "\r\n";
    return all;
  }
  const std::string name = AsciiLower(HeaderNames[index]);
  // A line named exactly so wins; otherwise the first line that merely
  // contains the name, so "X-Content-Type-Options" cannot stand in for
  // "Content-Type" when both are there.
  for (const auto& l : responseHeaders_) {
    const auto colon = l.find(':');
    if (colon != std::string::npos && AsciiLower(Trim(l.substr(0, colon))) == name) {
      return Trim(l.substr(colon + 1));
    }
  }
  for (const auto& l : responseHeaders_) {
    const auto at = AsciiLower(l).find(name);
    if (at == std::string::npos) continue;
    const std::size_t from = at + name.size() + 1;
    return from >= l.size() ? std::string() : Trim(l.substr(from));
  }
  return std::string();
}

bool THTTPClient::PostRequest(const std::string& server, const std::string& path,
                              std::string& reply, std::uint16_t port, const std::string& request) {
  const std::string callIndex = MakeTag("CALL_INDEX", TagValue("CALL_INDEX", request));
  transfer_.reset();  // closes what an earlier exchange left open
  transportError_.clear();
  requestWritten_ = false;
  if (!Open_PostRequest(server, path, port)) {
    reply = "Open_PostRequest Error" + callIndex;
    return false;
  }
  if (!Send_PostRequest(request, true)) {
    reply = "Send_PostRequest Error" + callIndex;
    return false;
  }
  if (!SetResponseHeader()) {
    reply = "SetResponseHeader Error" + callIndex;
    return false;
  }
  if (!SetResponseBuffer()) {
    reply = "SetResponseBuffer Error" + callIndex;
    return false;
  }
  const std::string type = AsciiLower(GetResponseHeader(kHeaderContentType));
  if (type.find("download") != std::string::npos) {
    // A file that could not be written is no download.
    if (!WriteFileReplacing(DownloadFilePath(), body_)) {
      reply = "SetResponseBuffer Error" + callIndex;
      return false;
    }
    reply = "File Download" + callIndex;
    return true;
  }
  const std::string encoding = AsciiLower(GetResponseHeader(kHeaderContentEncoding));
  if (encoding.find("gzip") != std::string::npos) {
    if (!GzipDecompress(body_, inflated_)) {
      reply = "ResponseBuffer Decompress Error" + callIndex;
      return false;
    }
    std::string text = inflated_;
    if (type.find("utf-8") != std::string::npos) text = FromUtf8(text);
    reply = text + callIndex;
    return true;
  }
  reply = "<HTTP HEAD>" + GetResponseHeader(0) + "</HTTP HEAD>" + FromUtf8(body_) + callIndex;
  return true;
}

}  // namespace tarvik
