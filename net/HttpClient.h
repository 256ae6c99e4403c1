#pragma once
// THTTPClient carries one request text to the web service as a gzip file part
// of a multipart/form-data POST and returns the reply text. One object serves
// exactly one PostRequest and is then destroyed; nothing is kept between
// requests. Blocking, on the thread that calls PostRequest (in the program a
// thread of its own per request: ServiceLink::runner, net/ServiceRequests.h).
#include <cstdint>
#include <string>

#include "net/CurlTransfer.h"

namespace tarvik {

// How far an exchange got, for a caller that must know whether the service
// may have acted on a request whose reply it never read. The bytes on the
// wire are the same either way.
enum class Delivery {
  Replied,  // a reply was read and decoded, whatever it says
  NotSent,  // the request never left whole (refused connection, broken send)
  Unknown   // the request left whole, but no reply was read (time-out, cut)
};

// What one exchange brought back.
struct PostOutcome {
  // Always filled: the reply text followed by the request's CALL_INDEX
  // element, or one of "Open_PostRequest Error", "Send_PostRequest Error",
  // "SetResponseHeader Error", "SetResponseBuffer Error", "ResponseBuffer
  // Decompress Error" followed by that element. A failure up to the end of
  // the reply's header block is the send's, a later one (the overall limit
  // during the body included) the body read's.
  std::string reply;
  // Replied when a reply was read and decoded ("File Download" included);
  // otherwise whether the whole request went out (the service may have acted
  // on it) or not.
  Delivery delivery = Delivery::NotSent;
  std::string transportError;  // libcurl's own words when the transfer failed
  std::string date;            // the reply's Date header (the service's clock), if any
};

class THTTPClient {
 public:
  // Raises the run's request counter by one (net/CallIndex.h). The time
  // limits are kRequestLimits until SetLimits.
  THTTPClient();

  // The counter value this object's creation produced (the number of the
  // CALL_INDEX built right after it).
  std::int64_t RequestNumber() const { return requestNumber_; }

  // This client's time limits (connect, stall, overall); each ends the
  // exchange as a transport failure.
  void SetLimits(const TransferLimits& limits) { limits_ = limits; }
  const TransferLimits& Limits() const { return limits_; }

  // The whole exchange.
  PostOutcome PostRequest(const std::string& server, const std::string& path, std::uint16_t port,
                          const std::string& request) const;

 private:
  std::int64_t requestNumber_ = 0;
  TransferLimits limits_ = kRequestLimits;
};

// Reply text as the transport hands it on: valid UTF-8 stays as it is, invalid
// UTF-8 becomes empty.
std::string FromUtf8(const std::string& bytes);

}  // namespace tarvik
