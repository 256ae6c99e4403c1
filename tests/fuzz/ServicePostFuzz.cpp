// A posted request from raw bytes: head, multipart body, gzip member, UTF-8 check, envelope (elements: service_request).
#include "tests/fuzz/FuzzCheck.h"
#include "service/requests/HttpFraming.h"
#include "service/requests/RequestText.h"
#include "text/Text.h"

using namespace tarvik::fuzz;
using namespace tarvik::service;

TARVIK_FUZZ(bytes) {
  HttpHead head;
  std::size_t used = 0;
  // The head's own checks are the http_framing target's.
  if (ParseHead(bytes, head, used) != HeadStatus::kComplete) return;
  std::string body = bytes.substr(used);
  if (head.contentLength > 0 && static_cast<std::size_t>(head.contentLength) < body.size())
    body.resize(static_cast<std::size_t>(head.contentLength));
  std::string text, error;
  if (!DecodePostBody(head.contentType, body, text, &error))
    return Check(text.empty() && !error.empty(), "a refused body without a reason, or with text");
  Check(tarvik::IsValidUtf8(text), "a request text that is not UTF-8");
  Check(text.size() <= kMaxInflatedBytes, "a request text beyond the limit");
}
