#include "service/requests/HttpFraming.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/String.h>
#include <Poco/Timestamp.h>
#include <Poco/URI.h>
#include <unistd.h>

#include <sstream>

namespace tarvik::service {

OwnedFd& OwnedFd::operator=(OwnedFd&& o) noexcept {
  if (this != &o) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = o.fd_;
    o.fd_ = -1;
  }
  return *this;
}

OwnedFd::~OwnedFd() {
  if (fd_ >= 0) ::close(fd_);
}

HeadStatus ParseHead(const std::string& buffer, HttpHead& head, std::size_t& headBytes,
                     std::size_t* scanned) {
  const std::size_t scan = std::min(buffer.size(), kMaxHeadBytes);
  std::size_t end = std::string::npos;
  // An end is LF LF or LF CR LF: one that began before the last scan's end
  // may finish in what arrived since, so its last two bytes are looked at again.
  const std::size_t from = scanned && *scanned > 2 ? std::min(*scanned - 2, scan) : 0;
  for (std::size_t i = from; i < scan; ++i) {
    if (buffer[i] != '\n') continue;
    if (i + 1 < buffer.size() && buffer[i + 1] == '\n') {
      end = i + 2;
      break;
    }
    if (i + 2 < buffer.size() && buffer[i + 1] == '\r' && buffer[i + 2] == '\n') {
      end = i + 3;
      break;
    }
  }
  if (end == std::string::npos) {
    if (scanned) *scanned = scan;
    return buffer.size() >= kMaxHeadBytes ? HeadStatus::kTooLarge : HeadStatus::kIncomplete;
  }
  if (end > kMaxHeadBytes) return HeadStatus::kTooLarge;
  // A line that starts with a blank continues the one before (obsolete line
  // folding): refused, as RFC 9112 lets a server do, rather than read in one
  // of the ways a proxy in front might not.
  for (std::size_t i = buffer.find('\n'); i != std::string::npos && i + 1 < end; i = buffer.find('\n', i + 1))
    if (buffer[i + 1] == ' ' || buffer[i + 1] == '\t') return HeadStatus::kBad;
  head = HttpHead();
  try {
    std::istringstream in(buffer.substr(0, end));
    Poco::Net::HTTPRequest req;
    req.read(in);
    if (req.getMethod().empty() || req.getVersion().compare(0, 5, "HTTP/") != 0)
      return HeadStatus::kBad;
    head.method = req.getMethod();
    const Poco::URI uri(req.getURI());
    head.path = uri.getPath();
    head.query = uri.getRawQuery();
    head.cookie = req.get("Cookie", "");
    head.rawPath = req.getURI().substr(0, req.getURI().find_first_of("?#"));
    // Two lengths that differ make the body's end a guess (RFC 9112 6.3).
    std::string length;
    for (const auto& [name, value] : req) {
      if (Poco::icompare(name, "Content-Length") != 0) continue;
      if (!length.empty() && Poco::trim(value) != length) return HeadStatus::kBad;
      length = Poco::trim(value);
    }
    head.contentType = req.getContentType();
    head.chunked = req.getChunkedTransferEncoding();
    if (req.hasContentLength()) {
      head.contentLength = req.getContentLength64();
      if (head.contentLength < 0) return HeadStatus::kBad;
    }
    head.keepAlive = req.getKeepAlive();
    head.expectContinue = req.getExpectContinue();
    if (req.has("X-Forwarded-For")) {
      const std::string& all = req.get("X-Forwarded-For");
      const auto comma = all.rfind(',');
      head.forwardedFor = Poco::trim(comma == std::string::npos ? all : all.substr(comma + 1));
    }
  } catch (const Poco::Exception&) {
    return HeadStatus::kBad;
  } catch (const std::exception&) {
    return HeadStatus::kBad;
  }
  headBytes = end;
  return HeadStatus::kComplete;
}

std::string ReplyHead(const HttpReply& reply, bool keepAlive) {
  Poco::Net::HTTPResponse resp;  // HTTP/1.0 unless set
  resp.setVersion(Poco::Net::HTTPMessage::HTTP_1_1);
  resp.setStatusAndReason(static_cast<Poco::Net::HTTPResponse::HTTPStatus>(reply.status));
  resp.setDate(Poco::Timestamp());
  if (!reply.contentType.empty()) resp.setContentType(reply.contentType);
  for (const auto& [name, value] : reply.headers) resp.set(name, value);
  resp.setContentLength64(reply.file.get() >= 0 ? reply.fileSize
                                                : static_cast<long long>(reply.body.size()));
  resp.setKeepAlive(keepAlive);
  std::ostringstream out;
  resp.write(out);
  return out.str();
}

}  // namespace tarvik::service
