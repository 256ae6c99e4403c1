// The service's reading of a posted request from raw bytes: the HTTP head,
// then the multipart body, its gzip member, the UTF-8 check and the
// POST_DATA envelope, then the elements.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "wire/Text.h"
#include "service/HttpFraming.h"
#include "service/Wire.h"

using tarvik::fuzz::Check;
using namespace tarvik::service;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  HttpHead head;
  std::size_t used = 0;
  const HeadStatus status = ParseHead(bytes, head, used);
  if (status != HeadStatus::kComplete) {
    if (status == HeadStatus::kIncomplete) Check(size < kMaxHeadBytes, "an endless head is waited for");
    return 0;
  }
  Check(used > 0 && used <= bytes.size() && used <= kMaxHeadBytes, "head length out of range");
  Check(head.contentLength >= 0, "negative Content-Length accepted");
  std::string body = bytes.substr(used);
  if (head.contentLength > 0 && static_cast<std::size_t>(head.contentLength) < body.size())
    body.resize(static_cast<std::size_t>(head.contentLength));

  std::string text, error;
  if (!DecodePostBody(head.contentType, body, text, &error)) {
    Check(text.empty() && !error.empty(), "a refused body without a reason, or with text");
    return 0;
  }
  Check(tarvik::IsValidUtf8(text), "a request text that is not UTF-8");
  Check(text.size() <= kMaxInflatedBytes, "a request text beyond the limit");
  std::vector<Element> elements;
  ScanElements(text, elements, kMaxElements, &error);
  return 0;
}
