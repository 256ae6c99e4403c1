#pragma once
// THTTPClient carries one request text to the web service as a gzip file part
// of a multipart/form-data POST and returns the reply text. One object serves
// exactly one PostRequest and is then destroyed; nothing is kept between
// requests. Blocking; used only on the thread of the user interface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/CurlTransfer.h"

namespace tarvik {

class THTTPClient {
 public:
  // Raises the run's request counter by one (net/CallIndex.h). The time
  // limits are RequestLimits() as the environment stands now.
  THTTPClient();
  ~THTTPClient();
  THTTPClient(const THTTPClient&) = delete;
  THTTPClient& operator=(const THTTPClient&) = delete;

  // The counter value this object's creation produced (the number of the
  // CALL_INDEX built right after it).
  std::int64_t RequestNumber() const { return requestNumber_; }

  // This client's time limits (connect, stall, overall); each ends the
  // exchange as a transport failure.
  void SetLimits(const TransferLimits& limits) { limits_ = limits; }
  const TransferLimits& Limits() const { return limits_; }

  // The whole exchange. reply is always filled: the reply text followed by the
  // request's CALL_INDEX element, or one of "Open_PostRequest Error",
  // "Send_PostRequest Error", "SetResponseHeader Error", "SetResponseBuffer Error",
  // "ResponseBuffer Decompress Error" followed by that element. A failure up to
  // the end of the reply's header block is the send's, a later one (the
  // overall limit during the body included) the body read's. True when a
  // reply was read and decoded ("File Download" included).
  bool PostRequest(const std::string& server, const std::string& path, std::string& reply,
                   std::uint16_t port, const std::string& request);

  // The failure of the last exchange: code, step and message as three lines
  // ("Error Code : ...", "Error Func : ...", "Meaasge    : ...").
  int LastErrorCode() const { return errorCode_; }
  const std::vector<std::string>& ErrorLines() const { return errorLines_; }
  // libcurl's own words when the transfer failed (see CurlTransfer::ErrorText);
  // empty otherwise.
  const std::string& TransportError() const { return transportError_; }
  // True when the whole request went out on a connection during the last
  // PostRequest: the server may have acted on it, whether or not a reply
  // came back. False after a refused connection or a send broken midway.
  bool RequestWritten() const { return requestWritten_; }
  // The Date header of the last reply (the server's clock), empty when none.
  std::string ReplyDate() const;

 private:
  // The steps of PostRequest; each records a failure with SetError.
  bool Open_PostRequest(const std::string& server, const std::string& path, std::uint16_t port);
  bool Send_PostRequest(const std::string& request, bool convertToUtf8);
  bool SetResponseHeader();
  bool SetResponseBuffer();  // fails for a body of 0 or 1 bytes
  std::int64_t GetHttpQueryInfoInteger(int code);
  std::string GetResponseHeader(int index) const;
  void SetError(int code, const std::string& step);
  void ClearError();
  static std::string MakeBoundary();

  std::int64_t requestNumber_ = 0;
  TransferLimits limits_;
  std::unique_ptr<CurlTransfer> transfer_;  // the open request
  CURLcode result_ = CURLE_OK;
  std::vector<std::string> responseHeaders_;
  std::string agent_;
  std::string server_;
  std::uint16_t port_ = 80;
  std::string path_;
  std::string requestBody_;
  std::string received_;  // the body as it arrives
  std::string body_;
  std::string inflated_;
  std::int64_t announced_ = 0;
  std::int64_t bytesRead_ = 0;
  int errorCode_ = 0;
  std::vector<std::string> errorLines_;
  std::string transportError_;
  bool requestWritten_ = false;
};

// Reply text as the transport hands it on: valid UTF-8 stays as it is, invalid
// UTF-8 becomes empty.
std::string FromUtf8(const std::string& bytes);

}  // namespace tarvik
