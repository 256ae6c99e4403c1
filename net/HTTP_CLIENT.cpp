#include "net/HTTP_CLIENT.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "net/CallIndex.h"
#include "net/Gzip.h"
#include "net/MessageFormat.h"
#include "platform/Folders.h"
#include "platform/Text.h"

namespace tarvik {

const char* const HeaderNames[kHeaderNameCount] = {
    "ALL",          "Cache-Control",    "Connection",       "Date",
    "Pragma",       "Trailer",          "Transfer-Encoding", "Upgrade",
    "Via",          "Warning",          "Accept-Ranges",    "Age",
    "ETag",         "Location",         "Proxy-Authenticate", "Retry-After",
    "Server",       "Vary",             "WWW-Authenticate", "Allow",
    "Content-Encoding", "Content-Language", "Content-Length", "Content-Location",
    "Content-MD5",  "Content-Range",    "Content-Type",     "Expires",
    "Last_Modified"};

namespace {

constexpr int kErrorBufferTooSmall = 122;
constexpr int kErrorNoHandle = 6;
// A reply body larger than this is refused rather than held in memory.
constexpr std::size_t kMaxResponseBodyBytes = kMaxInflatedBytes;
constexpr int kDefaultConnectSeconds = 60;
constexpr int kDefaultStallSeconds = 30;

std::atomic<int> g_connectSeconds{0};
std::atomic<int> g_stallSeconds{0};

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int EnvSeconds(const char* name) {
  const char* v = std::getenv(name);
  if (!v || !*v) return 0;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return (end && *end == '\0' && n > 0 && n < 86400) ? static_cast<int>(n) : 0;
}

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

// The open request: the curl handle and what the exchange brought back.
struct THTTPClient::Transfer {
  CURL* curl = nullptr;
  curl_slist* headers = nullptr;
  std::string headerBlock;  // raw header lines of the final reply
  bool headerOverflow = false;
  bool headersDone = false;
  std::string body;
  bool bodyOverflow = false;
  std::int64_t announced = 0;
  const ProgressHook* hook = nullptr;
  CURLcode result = CURLE_OK;
  // Stall watch: the time the byte counts last moved.
  std::chrono::steady_clock::time_point lastMove;
  curl_off_t lastTotal = -1;
  std::chrono::milliseconds stallLimit{0};
  bool stalled = false;
  bool connected = false;

  ~Transfer() {
    if (headers) curl_slist_free_all(headers);
    if (curl) curl_easy_cleanup(curl);
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t n = size * count;
    const std::string line(data, n);
    if (line.compare(0, 5, "HTTP/") == 0) {  // a new reply (after a 1xx one)
      t->headerBlock.clear();
      t->headersDone = false;
    } else if (t->headersDone) {
      return n;  // trailers of a chunked body are no header lines of the reply
    }
    t->headerBlock += line;
    if (t->headerBlock.size() > kMaxResponseHeaderBytes) {
      t->headerOverflow = true;
      return 0;  // ends the transfer; SetResponseHeader reports it
    }
    if (line == "\r\n" || line == "\n") {
      t->headersDone = true;
      const std::int64_t len = ContentLengthOf(SplitHeaderBlock(t->headerBlock));
      t->announced = len < 0 ? 0 : len;
    }
    return n;
  }

  // libcurl's own low-speed check averages over several seconds and so
  // reacts late; this one ends the transfer once nothing moved for the limit.
  static int OnProgress(void* self, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
    auto* t = static_cast<Transfer*>(self);
    const auto now = std::chrono::steady_clock::now();
    const curl_off_t total = dlnow + ulnow;
    if (total != t->lastTotal || !t->connected) {  // the connect has its own time-out
      t->lastTotal = total;
      t->lastMove = now;
      return 0;
    }
    if (now - t->lastMove > t->stallLimit) {
      t->stalled = true;
      return 1;
    }
    return 0;
  }

  static int OnConnected(void* self, char*, char*, int, int) {
    static_cast<Transfer*>(self)->connected = true;
    return CURL_PREREQFUNC_OK;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t n = size * count;
    if (t->body.size() + n > kMaxResponseBodyBytes) {
      t->bodyOverflow = true;
      return 0;
    }
    t->body.append(data, n);
    if (t->hook && *t->hook) {
      (*t->hook)(t->announced, static_cast<std::int64_t>(t->body.size()));
    }
    return n;
  }
};

THTTPClient::THTTPClient() : requestNumber_(NextRequestNumber()), agent_("Tarvik HTTP Client") {}

THTTPClient::~THTTPClient() { CloseHandles(); }

void THTTPClient::CloseHandles() { transfer_.reset(); }

void THTTPClient::SetTimeouts(int connectSeconds, int stallSeconds) {
  g_connectSeconds = connectSeconds > 0 ? connectSeconds : 0;
  g_stallSeconds = stallSeconds > 0 ? stallSeconds : 0;
}

int THTTPClient::ConnectTimeoutSeconds() {
  if (g_connectSeconds > 0) return g_connectSeconds;
  const int env = EnvSeconds("TARVIK_CONNECT_TIMEOUT");
  return env > 0 ? env : kDefaultConnectSeconds;
}

int THTTPClient::StallTimeoutSeconds() {
  if (g_stallSeconds > 0) return g_stallSeconds;
  const int env = EnvSeconds("TARVIK_STALL_TIMEOUT");
  return env > 0 ? env : kDefaultStallSeconds;
}

std::string THTTPClient::MakeBoundary() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  localtime_r(&secs, &tm);
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
  GlobalInit();
  if (!transfer_) {
    transfer_ = std::make_unique<Transfer>();
    transfer_->curl = curl_easy_init();
    if (!transfer_->curl) {
      SetError(CURLE_FAILED_INIT, "InternetOpen");
      return false;
    }
  }
  if (server_.empty() || port_ == 0) {
    SetError(CURLE_URL_MALFORMAT, "InternetConnect");
    return false;
  }
  verb_ = "POST";
  const std::string host = server_.find(':') != std::string::npos ? "[" + server_ + "]" : server_;
  const std::string url = "http://" + host + ":" + std::to_string(port_) +
                          (path_.empty() || path_[0] != '/' ? "/" : "") + path_;
  CURL* c = transfer_->curl;
  CURLcode rc = curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  if (rc != CURLE_OK) {
    SetError(rc, "HttpOpenRequest");
    return false;
  }
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, agent_.c_str());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_HTTP_CONTENT_DECODING, 0L);  // the body is decoded here
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(ConnectTimeoutSeconds()));
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, transfer_.get());
  transfer_->stallLimit = std::chrono::seconds(StallTimeoutSeconds());
  return true;
}

bool THTTPClient::Send_PostRequest(const std::string& request, bool /*convertToUtf8*/) {
  if (!transfer_ || !transfer_->curl) {
    SetError(kErrorNoHandle, "PostRequest_GZCompress");
    return false;
  }
  const std::string boundary = MakeBoundary();
  requestHeaders_ = {"Accept-Encoding: gzip, deflate", "Connection: Keep-Alive",
                     "Content-Type: multipart/form-data; boundary=" + boundary};
  const std::string payload = GzipCompress(request);
  requestBody_.clear();
  requestBody_ += "--" + boundary + "\r\n";
  requestBody_ += "Content-Disposition: form-data; name=POST; filename=GZCompressString\r\n";
  requestBody_ += "Content-Type: application/x-gzip\r\n";
  requestBody_ += "\r\n";
  requestBody_ += payload;
  requestBody_ += "\r\n--" + boundary + "--\r\n";

  Transfer& t = *transfer_;
  if (t.headers) curl_slist_free_all(t.headers);
  t.headers = nullptr;
  for (const auto& h : requestHeaders_) t.headers = curl_slist_append(t.headers, h.c_str());
  // An empty value removes what libcurl would add on its own.
  t.headers = curl_slist_append(t.headers, "Expect:");
  t.headers = curl_slist_append(t.headers, "Accept:");
  t.headerBlock.clear();
  t.headerOverflow = t.headersDone = t.bodyOverflow = false;
  t.body.clear();
  t.announced = 0;
  t.hook = &progress_;
  t.lastTotal = -1;
  t.stalled = false;
  t.connected = false;

  CURL* c = t.curl;
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, t.headers);
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size()));
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, requestBody_.data());
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &Transfer::OnConnected);
  curl_easy_setopt(c, CURLOPT_PREREQDATA, &t);
  t.result = curl_easy_perform(c);
  if (t.stalled) t.result = CURLE_OPERATION_TIMEDOUT;
  // Up to the end of the reply's header block the failure is the send's; a
  // later one is the body read's (SetResponseBuffer), a long header block
  // SetResponseHeader's.
  if (t.result != CURLE_OK && !t.headersDone && !t.headerOverflow) {
    SetError(t.result, "PostRequest_GZCompress");
    return false;
  }
  return true;
}

bool THTTPClient::SetResponseHeader() {
  responseHeaders_.clear();
  if (!transfer_ || transfer_->headerOverflow || !transfer_->headersDone) {
    SetError(kErrorBufferTooSmall, "HttpQueryInfo[HTTP_QUERY_RAW_HEADERS_CRLF]");
    return false;
  }
  responseHeaders_ = SplitHeaderBlock(transfer_->headerBlock);
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
  if (transfer_->result != CURLE_OK) {
    SetError(transfer_->result, "InternetReadFile");
    return false;
  }
  body_.swap(transfer_->body);
  bytesRead_ = static_cast<std::int64_t>(body_.size());
  return body_.size() > 1;
}

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
  CloseHandles();
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
