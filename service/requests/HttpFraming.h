#pragma once
// HTTP/1.1 messages as bytes, without sockets: finding and reading a request
// head in what a connection has received so far, and writing a reply head.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tarvik::service {

constexpr std::size_t kMaxHeadBytes = 16 * 1024;

struct HttpHead {
  std::string method;
  std::string path;  // percent-decoded, without query
  std::string rawPath;  // the request target up to its query, as it arrived
  std::string contentType;
  long long contentLength = 0;  // 0 when not given
  bool chunked = false;
  bool keepAlive = false;
  bool expectContinue = false;
  std::string forwardedFor;  // the last address of X-Forwarded-For (what a proxy added)
  // For the order desk's pages: the query as sent (still percent-encoded),
  // the Cookie header, and the peer's address (set by the connection).
  std::string query;
  std::string cookie;
  std::string peer;
};

enum class HeadStatus {
  kIncomplete,  // no blank line yet, and still below kMaxHeadBytes
  kComplete,
  kBad,       // not HTTP, a Content-Length that is no number or given twice
              // differently, a header line folded onto the next
  kTooLarge,  // kMaxHeadBytes without the blank line
};

// Reads the head at the start of buffer; on kComplete, headBytes is its length
// including the blank line that ends it (CR LF or a bare LF as line ends).
// scanned, when given, carries over the calls of one head: how far buffer
// is known to hold no end of it, so a head that arrives a byte at a time is
// not scanned again from its first byte for every byte (0 for a new head).
HeadStatus ParseHead(const std::string& buffer, HttpHead& head, std::size_t& headBytes,
                     std::size_t* scanned = nullptr);

// A file descriptor that closes itself; moves, never copies.
class OwnedFd {
 public:
  OwnedFd() = default;
  explicit OwnedFd(int fd) : fd_(fd) {}
  OwnedFd(OwnedFd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  OwnedFd& operator=(OwnedFd&& o) noexcept;
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd();
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

// What the side that answered tells the request log and the metrics. Every
// text here is bounded: a label the client could choose freely would let it
// grow the metrics without end.
struct ReplyFacts {
  std::string endpoint;  // "Order" for /NET/Order.php; "unknown", "update", "health", "metrics", "other"
  std::string command;   // COMMAND of a command the service knows
  std::string result;    // RESULT_CODE of a /NET/ reply
  long long records = -1;  // RESULT_RECORD_COUNT when the reply was built now
  // Whose request it was, where it says so: codes, or the IDs typed at log-in.
  std::string supplier, supplierId, orderer, ordererId, order;
  enum class Cache { kNotAsked, kHit, kMiss } cache = Cache::kNotAsked;
  bool orderSaved = false;
};

struct HttpReply {
  int status = 200;
  std::string contentType;
  std::vector<std::pair<std::string, std::string>> headers;  // extra ones, in order
  std::string body;
  OwnedFd file;             // when open: sent after the head instead of body
  long long fileSize = 0;
  bool omitBody = false;    // HEAD: the length of the body, not the body
  bool close = false;       // the connection ends after this reply
  ReplyFacts facts;
};

// Status line with the status's own reason phrase, Date, Content-Type,
// Content-Length, Connection and the extra headers, ending with the blank line.
std::string ReplyHead(const HttpReply& reply, bool keepAlive);

}  // namespace tarvik::service
