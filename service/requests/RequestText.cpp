#include "service/requests/RequestText.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTMLForm.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/MessageHeader.h>
#include <Poco/Net/NameValueCollection.h>
#include <Poco/Net/PartHandler.h>

#include <istream>
#include <sstream>

#include "wire/Gzip.h"
#include "wire/MessageFormat.h"
#include "text/Text.h"

namespace tarvik::service {

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Keeps the bytes of the part named POST, at most kMaxBodyBytes of them.
class PostPart : public Poco::Net::PartHandler {
 public:
  void handlePart(const Poco::Net::MessageHeader& header, std::istream& stream) override {
    std::string disposition;
    Poco::Net::NameValueCollection params;
    Poco::Net::MessageHeader::splitParameters(header.get("Content-Disposition", ""), disposition,
                                              params);
    const bool isPost = params.get("name", "") == "POST";
    std::string data;
    char buf[8192];
    while (stream) {
      stream.read(buf, sizeof buf);
      const auto n = static_cast<std::size_t>(stream.gcount());
      if (n == 0) break;
      if (isPost && !tooBig) {
        if (data.size() + n > kMaxBodyBytes) tooBig = true;
        else data.append(buf, n);
      }
    }
    if (isPost && !found) {
      found = true;
      payload = std::move(data);
    }
  }
  bool found = false;
  bool tooBig = false;
  std::string payload;
};

}  // namespace

std::string Request::Value(const std::string& name) const {
  for (const auto& e : elements) {
    if (e.name == name) return e.value;
  }
  return std::string();
}

bool Request::Has(const std::string& name) const {
  for (const auto& e : elements) {
    if (e.name == name) return true;
  }
  return false;
}

bool ScanElements(const std::string& text, std::vector<Element>& out, std::size_t maxElements,
                  std::string* error) {
  out.clear();
  std::size_t pos = 0;
  const std::size_t n = text.size();
  while (pos < n) {
    const std::size_t lt = text.find('<', pos);
    if (lt == std::string::npos) break;
    std::size_t k = lt + 1;
    while (k < n && IsNameChar(text[k])) ++k;
    if (k == lt + 1 || k >= n || text[k] != '>') {  // not an opening tag: plain text
      pos = lt + 1;
      continue;
    }
    const std::string name = text.substr(lt + 1, k - lt - 1);
    const std::string close = "</" + name + ">";
    const std::size_t end = text.find(close, k + 1);
    if (end == std::string::npos) {
      SetError(error, "element " + name + " is not closed");
      return false;
    }
    if (out.size() >= maxElements) {
      SetError(error, "too many elements");
      return false;
    }
    out.push_back({name, text.substr(k + 1, end - k - 1)});
    pos = end + close.size();
  }
  return true;
}

bool DecodePostBody(const std::string& contentType, const std::string& body, std::string& text,
                    std::string* error) {
  text.clear();
  if (body.size() > kMaxBodyBytes) {
    SetError(error, "request too large");
    return false;
  }
  PostPart part;
  try {
    Poco::Net::HTTPRequest req(Poco::Net::HTTPRequest::HTTP_POST, "/");
    req.setContentType(contentType);
    std::istringstream in(body);
    Poco::Net::HTMLForm form;
    form.setFieldLimit(16);
    form.setValueLengthLimit(4096);
    form.load(req, in, part);
  } catch (const Poco::Exception& e) {
    SetError(error, "bad form: " + e.displayText());
    return false;
  } catch (const std::exception& e) {
    SetError(error, std::string("bad form: ") + e.what());
    return false;
  }
  if (part.tooBig) {
    SetError(error, "request too large");
    return false;
  }
  if (!part.found) {
    SetError(error, "no POST part");
    return false;
  }
  std::string plain;
  if (!GzipDecompress(part.payload, plain, kMaxInflatedBytes)) {
    SetError(error, "bad or oversized gzip member");
    return false;
  }
  if (!IsValidUtf8(plain)) {
    SetError(error, "request is not UTF-8");
    return false;
  }
  static const std::string kOpen = "VALUE=<POST_DATA>";
  static const std::string kClose = "</POST_DATA>";
  if (plain.size() < kOpen.size() + kClose.size() || plain.compare(0, kOpen.size(), kOpen) != 0 ||
      plain.compare(plain.size() - kClose.size(), kClose.size(), kClose) != 0) {
    SetError(error, "no POST_DATA envelope");
    return false;
  }
  text = plain.substr(kOpen.size(), plain.size() - kOpen.size() - kClose.size());
  return true;
}

std::string FailureReply(const std::string& why) {
  return MakeTag("RESULT_CODE", "0") + MakeTag("RESULT_MSG", why);
}

std::string SuccessReply(const std::string& extra) { return MakeTag("RESULT_CODE", "1") + extra; }

void ReplyBuilder::AddRecord(const std::vector<std::string>& names,
                             const std::vector<std::string>& row) {
  const std::string tag = "RDC_" + std::to_string(count_);
  records_ += '<';
  records_ += tag;
  records_ += '>';
  for (std::size_t i = 0; i < names.size() && i < row.size(); ++i) records_ += MakeTag(names[i], row[i]);
  records_ += "</";
  records_ += tag;
  records_ += '>';
  ++count_;
}

std::string ReplyBuilder::Finish(const std::string& extra) const {
  return MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", std::to_string(count_)) +
         records_ + extra;
}

}  // namespace tarvik::service
