#pragma once
// The service's side of the wire: turning a posted body into the request
// elements, and building reply texts.
#include <cstddef>
#include <string>
#include <vector>

namespace tarvik::service {

// Limits of what one request may carry; beyond them the request is refused.
constexpr std::size_t kMaxBodyBytes = 2u * 1024u * 1024u;      // multipart body as posted
constexpr std::size_t kMaxInflatedBytes = 1024u * 1024u;       // the text after gunzip
constexpr std::size_t kMaxElements = 4000;                     // top-level elements
constexpr std::size_t kMaxFieldBytes = 2000;                   // one stored field value

struct Element {
  std::string name;
  std::string value;
};

// The request text after the envelope: its top-level elements in order.
struct Request {
  std::string endpoint;  // "Good" for "/NET/Good.php"
  std::vector<Element> elements;

  // Value of the first element of that name; empty when absent.
  std::string Value(const std::string& name) const;
  bool Has(const std::string& name) const;
};

// Splits text into its top-level elements "<NAME>value</NAME>" (NAME of
// capitals, digits and '_'); a value runs to the first matching close after
// its open, so nested records stay whole. Text outside elements is skipped
// (the order list sends its condition once untagged). False with an error text
// when an open has no close or there are more than maxElements elements.
bool ScanElements(const std::string& text, std::vector<Element>& out, std::size_t maxElements,
                  std::string* error);

// The posted multipart body (Content-Type header value and body bytes) to the
// request text inside "VALUE=<POST_DATA>...</POST_DATA>": reads the part named
// POST, gunzips it (capped), checks UTF-8 and strips the envelope.
bool DecodePostBody(const std::string& contentType, const std::string& body, std::string& text,
                    std::string* error);

// Reply texts as the client reads them.
std::string FailureReply(const std::string& why);
class ReplyBuilder {
 public:
  // One record of the fields in `names` with the values of `row` (same size).
  void AddRecord(const std::vector<std::string>& names, const std::vector<std::string>& row);
  // "<RESULT_CODE>1</RESULT_CODE><RESULT_RECORD_COUNT>n</...>" + records + extra.
  std::string Finish(const std::string& extra = std::string()) const;
  std::size_t Count() const { return count_; }
  const std::string& Records() const { return records_; }

 private:
  std::string records_;
  std::size_t count_ = 0;
};
std::string SuccessReply(const std::string& extra = std::string());

}  // namespace tarvik::service
