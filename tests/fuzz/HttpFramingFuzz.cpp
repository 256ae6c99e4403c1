// The service's HTTP framing as a connection reads it: how the stream is cut must not change what is read.
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "service/requests/HttpFraming.h"
#include "service/requests/RequestText.h"

using namespace tarvik::fuzz;
using namespace tarvik::service;

namespace {

// One line per request read whole and, last, why reading stopped (a refusal) or "waiting".
std::vector<std::string> Read(const std::string& stream, const std::vector<std::size_t>& pieces) {
  std::vector<std::string> out;
  std::string in;
  std::size_t at = 0, piece = 0, scanned = 0;  // scanned: as a connection resumes its head
  while (at < stream.size()) {
    const std::size_t n = pieces.empty() ? stream.size() : pieces[piece++ % pieces.size()];
    in.append(stream, at, n);
    at += n;
    for (;;) {
      HttpHead head;
      std::size_t headBytes = 0;
      const HeadStatus status = ParseHead(in, head, headBytes, &scanned);
      if (status == HeadStatus::kIncomplete) {
        Check(in.size() < kMaxHeadBytes, "an endless head is waited for");
        break;
      }
      if (status != HeadStatus::kComplete) return out.push_back(status == HeadStatus::kBad ? "bad" : "too large"), out;
      Check(headBytes > 0 && headBytes <= in.size() && headBytes <= kMaxHeadBytes, "head length out of range");
      Check(head.contentLength >= 0, "negative Content-Length accepted");
      if (head.chunked || head.contentLength > static_cast<long long>(kMaxBodyBytes))
        return out.push_back(head.chunked ? "chunked" : "body too large"), out;
      const std::size_t length = static_cast<std::size_t>(head.contentLength);
      if (in.size() < headBytes + length) break;
      out.push_back(head.method + " " + head.path + " " + head.contentType + " " + std::to_string(length) +
                    (head.keepAlive ? " keep" : " close") + (head.expectContinue ? " continue " : " ") +
                    in.substr(headBytes, length));
      in.erase(0, headBytes + length);
      scanned = 0;
    }
  }
  out.push_back("waiting");
  return out;
}

}  // namespace

TARVIK_FUZZ(input) {
  if (input.size() < 2) return;
  // The first bytes choose the pieces, growing with the stream (1..64 bytes per 512), the rest is the stream.
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(input[i]); };
  const std::size_t count = 1 + byte(0) % 8;
  const std::string stream = input.substr(std::min(input.size(), count + 1));
  std::vector<std::size_t> pieces;
  for (std::size_t i = 1; i <= count && i < input.size(); ++i)
    pieces.push_back((1 + byte(i) % 64) * (1 + stream.size() / 512));
  Check(Read(stream, pieces) == Read(stream, {}), "the pieces change what is read of " + Shown(stream));

  // A well-formed request with the stream's bytes as body, cut anywhere, then a second on the same connection.
  const std::string body = stream.substr(0, 300);
  const std::string request = "POST /NET/Order.php HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/plain\r\n"
                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  const std::string two = request + request;
  const std::vector<std::string> expected = Read(two, {});
  Check(expected.size() == 3 && expected[2] == "waiting", "a well-formed request is not read: " + Shown(request));
  const std::size_t cut = byte(1) % (two.size() + 1);
  Check(Read(two, {cut == 0 ? 1 : cut, two.size()}) == expected, "a request cut at " + std::to_string(cut));
}
