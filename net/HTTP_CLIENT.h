#pragma once
// THTTPClient carries one request text to the web service as a gzip file part
// of a multipart/form-data POST and returns the reply text. One object serves
// exactly one PostRequest and is then destroyed; nothing is kept between
// requests. Blocking; used only on the thread of the user interface.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvik {

// Header names indexed as GetResponseHeader expects (20 Content-Encoding,
// 26 Content-Type); index 0 stands for all header lines.
constexpr int kHeaderNameCount = 29;
extern const char* const HeaderNames[kHeaderNameCount];

constexpr int kHeaderContentEncoding = 20;
constexpr int kHeaderContentLength = 22;
constexpr int kHeaderContentType = 26;

// Query code of the announced body length (GetHttpQueryInfoInteger).
constexpr int kQueryContentLength = 5;

// The raw header block of a reply may take at most this many bytes.
constexpr std::size_t kMaxResponseHeaderBytes = 4096;

// Error code recorded when a queried header is absent; it is cleared again.
constexpr int kErrorHeaderNotFound = 12150;

// Called while the body is read: announced length (0 when none) and bytes so
// far. It runs inside the transfer and must not throw.
using ProgressHook = std::function<void(std::int64_t announced, std::int64_t readSoFar)>;

class THTTPClient {
 public:
  // Raises the run's request counter by one (net/CallIndex.h).
  THTTPClient();
  ~THTTPClient();
  THTTPClient(const THTTPClient&) = delete;
  THTTPClient& operator=(const THTTPClient&) = delete;

  // The counter value this object's creation produced (the number of the
  // CALL_INDEX built right after it).
  std::int64_t RequestNumber() const { return requestNumber_; }

  // The whole exchange. reply is always filled: the reply text followed by the
  // request's CALL_INDEX element, or one of "Open_PostRequest Error",
  // "Send_PostRequest Error", "SetResponseHeader Error", "SetResponseBuffer Error",
  // "ResponseBuffer Decompress Error" followed by that element. True when a
  // reply was read and decoded ("File Download" included).
  bool PostRequest(const std::string& server, const std::string& path, std::string& reply,
                   std::uint16_t port, const std::string& request);

  // The steps of PostRequest; each records a failure with SetError.
  bool Open_PostRequest(const std::string& server, const std::string& path, std::uint16_t port);
  // Sends the request and waits for the reply's header block. The text is
  // UTF-8 in memory already, so convertToUtf8 changes nothing.
  bool Send_PostRequest(const std::string& request, bool convertToUtf8);
  bool SetResponseHeader();
  bool SetResponseBuffer();  // fails for a body of 0 or 1 bytes
  // The value of a numeric header (kQueryContentLength); 0 on failure.
  std::int64_t GetHttpQueryInfoInteger(int code);
  // Index 0: all header lines each followed by CR LF; otherwise the trimmed
  // value of the first line containing HeaderNames[index] (case ignored).
  std::string GetResponseHeader(int index) const;

  void SetError(int code, const std::string& step);
  void ClearError();

  void SetProgressHook(ProgressHook hook) { progress_ = std::move(hook); }

  int LastErrorCode() const { return errorCode_; }
  const std::vector<std::string>& ErrorLines() const { return errorLines_; }
  const std::vector<std::string>& ResponseHeaderLines() const { return responseHeaders_; }
  const std::string& ResponseBody() const { return body_; }
  std::int64_t AnnouncedLength() const { return announced_; }
  std::int64_t BytesRead() const { return bytesRead_; }
  const std::string& AgentName() const { return agent_; }

  // Time-outs of every client: connect (default 60 s, env
  // TARVIK_CONNECT_TIMEOUT in seconds) and the abort of a transfer that
  // delivers no data (default 30 s, env TARVIK_STALL_TIMEOUT). 0 restores
  // the default. Either ends the exchange as a transport failure.
  static void SetTimeouts(int connectSeconds, int stallSeconds);
  static int ConnectTimeoutSeconds();
  static int StallTimeoutSeconds();

  // The multipart boundary for a moment: "--------DHC" + mmddyyhhnnsszzz.
  static std::string MakeBoundary();

 private:
  struct Transfer;
  void CloseHandles();

  std::int64_t requestNumber_ = 0;
  std::unique_ptr<Transfer> transfer_;  // the open request (curl handle and what it received)
  std::vector<std::string> requestHeaders_;
  std::vector<std::string> responseHeaders_;
  std::string agent_;
  std::string server_;
  std::uint16_t port_ = 80;
  std::string path_;
  std::string version_ = "HTTP/1.1";
  std::string verb_;
  std::string requestBody_;
  std::string body_;
  std::string inflated_;
  std::int64_t announced_ = 0;
  std::int64_t bytesRead_ = 0;
  ProgressHook progress_;
  int errorCode_ = 0;
  std::vector<std::string> errorLines_;
};

// Reply text as the transport hands it on: valid UTF-8 stays as it is, invalid
// UTF-8 becomes empty.
std::string FromUtf8(const std::string& bytes);

}  // namespace tarvik
