#include "net/CurlTransfer.h"

#include <cstdlib>
#include <mutex>

namespace tarvik {
namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int EnvSeconds(const char* name, int fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return (end && *end == '\0' && n > 0 && n < 86400) ? static_cast<int>(n) : fallback;
}

}  // namespace

TransferLimits RequestLimitsAtStart() {
  TransferLimits l;
  l.connectSeconds = EnvSeconds("TARVIK_CONNECT_TIMEOUT", kRequestLimits.connectSeconds);
  l.stallSeconds = EnvSeconds("TARVIK_STALL_TIMEOUT", kRequestLimits.stallSeconds);
  l.totalSeconds = EnvSeconds("TARVIK_REQUEST_TIMEOUT", kRequestLimits.totalSeconds);
  return l;
}

CurlTransfer::CurlTransfer() {
  GlobalInit();
  curl_ = curl_easy_init();
}

CurlTransfer::~CurlTransfer() {
  if (curl_) curl_easy_cleanup(curl_);
  if (headers_) curl_slist_free_all(headers_);
}

void CurlTransfer::SetHeaders(const std::vector<std::string>& lines) {
  if (headers_) curl_slist_free_all(headers_);
  headers_ = nullptr;
  for (const auto& l : lines) headers_ = curl_slist_append(headers_, l.c_str());
}

long CurlTransfer::ResponseCode() const {
  long code = 0;
  if (curl_) curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code);
  return code;
}

curl_off_t CurlTransfer::UploadedBytes() const {
  curl_off_t n = 0;
  if (curl_) curl_easy_getinfo(curl_, CURLINFO_SIZE_UPLOAD_T, &n);
  return n;
}

size_t CurlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<CurlTransfer*>(self);
  const size_t n = size * count;
  const std::string line(data, n);
  if (line.compare(0, 5, "HTTP/") == 0) {  // a new reply (after a 1xx one)
    t->headerBlock_.clear();
    t->headersDone_ = false;
  } else if (t->headersDone_) {
    return n;  // trailers of a chunked body are no header lines of the reply
  }
  t->headerBlock_ += line;
  if (t->headerLimit_ > 0 && t->headerBlock_.size() > t->headerLimit_) {
    t->headerOverflow_ = true;
    return 0;  // ends the transfer
  }
  if (line == "\r\n" || line == "\n") t->headersDone_ = true;
  return n;
}

size_t CurlTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<CurlTransfer*>(self);
  const size_t n = size * count;
  if (t->sink_ && !t->sink_(data, n)) return 0;  // a write error ends the transfer
  return n;
}

// libcurl's own low-speed check averages over several seconds and so reacts
// late; this one ends the transfer once nothing moved for the stall limit.
// curl calls it about once a second, data or not.
int CurlTransfer::OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t,
                             curl_off_t ulnow) {
  auto* t = static_cast<CurlTransfer*>(self);
  const auto now = std::chrono::steady_clock::now();
  const curl_off_t total = dlnow + ulnow;
  if (total != t->lastTotal_ || !t->connected_) {  // connecting has its own time-out
    t->lastTotal_ = total;
    t->lastMove_ = now;
  } else if (now - t->lastMove_ > std::chrono::seconds(t->limits_.stallSeconds)) {
    t->stalled_ = true;
    return 1;
  }
  if (t->hook_ && !t->hook_(dltotal, dlnow)) {
    t->cancelled_ = true;
    return 1;
  }
  return 0;
}

int CurlTransfer::OnConnected(void* self, char*, char*, int, int) {
  static_cast<CurlTransfer*>(self)->connected_ = true;
  return CURL_PREREQFUNC_OK;
}

CURLcode CurlTransfer::Perform() {
  headerBlock_.clear();
  headersDone_ = headerOverflow_ = stalled_ = cancelled_ = connected_ = false;
  errorText_.clear();
  errorBuffer_[0] = '\0';
  lastTotal_ = -1;
  if (!curl_) {
    errorText_ = curl_easy_strerror(CURLE_FAILED_INIT);
    return CURLE_FAILED_INIT;
  }
  CURL* c = curl_;
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers_);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits_.connectSeconds));
  curl_easy_setopt(c, CURLOPT_TIMEOUT, static_cast<long>(limits_.totalSeconds));  // 0: none
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &CurlTransfer::OnConnected);
  curl_easy_setopt(c, CURLOPT_PREREQDATA, this);

  CURLcode rc = curl_easy_perform(c);
  if (stalled_) {
    rc = CURLE_OPERATION_TIMEDOUT;
    errorText_ = "no data for " + std::to_string(limits_.stallSeconds) + " seconds";
  } else if (rc != CURLE_OK) {
    errorText_ = errorBuffer_[0] ? std::string(errorBuffer_) : std::string(curl_easy_strerror(rc));
  }
  return rc;
}

}  // namespace tarvik
