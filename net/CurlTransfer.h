#pragma once
// One libcurl transfer, shared by the HTTP client (the POST of a request) and
// the URL download of the update: it owns the handle and the request header
// list, gathers the reply's header block, hands the body to a sink, and
// watches the time: the connect time-out, a stall watch (no byte moved for a
// while, once connected) and, where set, an overall limit. The owner sets
// what belongs to one use (URL, method, body, redirects) on Handle().
#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tarvik {

// Time limits of one transfer, in seconds.
struct TransferLimits {
  int connectSeconds = 60;  // to connect
  int stallSeconds = 30;    // without a byte moving, once connected
  int totalSeconds = 0;     // the whole transfer; 0: no overall limit
};

// The limits of a service request: 60, 30 and 120 s.
constexpr TransferLimits kRequestLimits{60, 30, 120};
// kRequestLimits with what the environment sets of them (TARVIK_CONNECT_TIMEOUT,
// TARVIK_STALL_TIMEOUT, TARVIK_REQUEST_TIMEOUT; whole seconds). Only a
// program's start calls it.
TransferLimits RequestLimitsAtStart();

class CurlTransfer {
 public:
  // Called with each piece of the body; false ends the transfer (a write
  // error). Runs inside the transfer and must not throw.
  using BodySink = std::function<bool(const char* data, std::size_t size)>;
  // Called about once a second and with every piece of data: the body's
  // announced size (0 when unknown) and bytes so far; false cancels.
  using ProgressHook = std::function<bool(curl_off_t total, curl_off_t now)>;

  CurlTransfer();
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // False when libcurl could not make a handle; nothing else works then.
  bool Valid() const { return curl_ != nullptr; }
  CURL* Handle() { return curl_; }

  // Request header lines, each without CR LF (replaces earlier ones).
  void SetHeaders(const std::vector<std::string>& lines);
  void SetLimits(const TransferLimits& limits) { limits_ = limits; }
  // The reply's header block may hold at most this many bytes; a longer one
  // ends the transfer (HeaderOverflow). 0: no limit.
  void SetHeaderLimit(std::size_t bytes) { headerLimit_ = bytes; }
  void SetBodySink(BodySink sink) { sink_ = std::move(sink); }
  void SetProgressHook(ProgressHook hook) { hook_ = std::move(hook); }

  // Runs the transfer; its result code (CURLE_OPERATION_TIMEDOUT after a stall).
  CURLcode Perform();

  // What the last Perform brought back and how it ended.
  const std::string& HeaderBlock() const { return headerBlock_; }  // the final reply's, raw
  bool HeadersDone() const { return headersDone_; }  // its closing empty line arrived
  bool HeaderOverflow() const { return headerOverflow_; }
  bool Stalled() const { return stalled_; }
  bool Cancelled() const { return cancelled_; }
  long ResponseCode() const;
  // Bytes of the request body that left for the server (0 when it never
  // connected).
  curl_off_t UploadedBytes() const;
  // libcurl's own words for the failure ("Failed to connect to ... Connection
  // refused", "Operation timed out after ..."), or the stall; empty after a
  // success.
  const std::string& ErrorText() const { return errorText_; }

 private:
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t ulnow);
  static int OnConnected(void* self, char*, char*, int, int);

  CURL* curl_ = nullptr;
  curl_slist* headers_ = nullptr;
  TransferLimits limits_;
  std::size_t headerLimit_ = 0;
  BodySink sink_;
  ProgressHook hook_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};

  std::string headerBlock_;
  bool headersDone_ = false;
  bool headerOverflow_ = false;
  bool stalled_ = false;
  bool cancelled_ = false;
  bool connected_ = false;
  std::string errorText_;
  // The stall watch: when the byte counts last moved.
  std::chrono::steady_clock::time_point lastMove_;
  curl_off_t lastTotal_ = -1;
};

}  // namespace tarvik
