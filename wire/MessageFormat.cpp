#include "wire/MessageFormat.h"

#include <algorithm>
#include <cstdlib>

namespace tarvik {

std::string MakeTag(const std::string& name, const std::string& value) {
  std::string out;
  out.reserve(name.size() * 2 + value.size() + 5);
  out += '<';
  out += name;
  out += '>';
  out += value;
  out += "</";
  out += name;
  out += '>';
  return out;
}

std::string WrapPostData(const std::string& text) {
  return "VALUE=<POST_DATA>" + text + "</POST_DATA>";
}

std::string TagValue(const std::string& name, const std::string& text) {
  const std::string open = "<" + name + ">";
  const std::string close = "</" + name + ">";
  const auto p = text.find(open);
  if (p == std::string::npos) return std::string();
  const auto q = text.find(close);
  if (q == std::string::npos) return std::string();
  const auto start = p + open.size();
  if (q < start) return std::string();
  return text.substr(start, q - start);
}

bool ReplySucceeded(const std::string& reply) { return TagValue("RESULT_CODE", reply) == "1"; }

long long TagInt(const std::string& name, const std::string& text) {
  const std::string v = TagValue(name, text);
  if (v.empty() || v.size() > 18) return 0;
  for (char c : v) {
    if (c < '0' || c > '9') return 0;
  }
  return std::strtoll(v.c_str(), nullptr, 10);
}

ReplyReader::ReplyReader(const std::string& reply, const std::string& prefix)
    : text_(reply), prefix_(prefix) {
  const std::size_t n = text_.size();
  for (std::size_t pos = text_.find('<'); pos != std::string::npos; pos = text_.find('<', pos + 1)) {
    std::size_t k = pos + 1;
    const bool closing = k < n && text_[k] == '/';
    if (closing) ++k;
    if (text_.compare(k, prefix_.size(), prefix_) != 0) continue;
    k += prefix_.size();
    const std::size_t digits = k;
    std::size_t index = 0;
    bool overflow = false;
    while (k < n && text_[k] >= '0' && text_[k] <= '9') {
      const auto d = static_cast<std::size_t>(text_[k] - '0');
      if (index > (static_cast<std::size_t>(-1) - d) / 10) overflow = true;
      index = index * 10 + d;
      ++k;
    }
    const std::size_t len = k - digits;
    if (len == 0 || overflow || k >= n || text_[k] != '>') continue;
    if (len > 1 && text_[digits] == '0') continue;  // "RDC_01" is another name
    auto& first = closing ? firstClose_ : firstOpen_;
    first.emplace(index, pos);  // keeps the first occurrence
  }
}

std::string ReplyReader::Record(std::size_t i) const {
  const auto o = firstOpen_.find(i);
  if (o == firstOpen_.end()) return std::string();
  const auto c = firstClose_.find(i);
  if (c == firstClose_.end()) return std::string();
  const std::size_t start = o->second + prefix_.size() + 2 + std::to_string(i).size();
  if (c->second < start) return std::string();
  return text_.substr(start, c->second - start);
}

RecordFields::RecordFields(std::vector<std::string> names) : names_(std::move(names)) {}

int RecordFields::IndexOf(const char* name, std::size_t length) const {
  for (std::size_t f = 0; f < names_.size(); ++f) {
    if (names_[f].size() == length && names_[f].compare(0, length, name, length) == 0) {
      return static_cast<int>(f);
    }
  }
  return -1;
}

namespace {
bool NameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
}  // namespace

void RecordFields::Read(const std::string& record, std::vector<std::string>& values) const {
  constexpr std::size_t kNone = std::string::npos;
  const std::size_t count = names_.size();
  std::vector<std::size_t> valueStart(count, kNone), closeAt(count, kNone);
  const std::size_t n = record.size();
  for (std::size_t p = record.find('<'); p != kNone; p = record.find('<', p + 1)) {
    std::size_t k = p + 1;
    const bool closing = k < n && record[k] == '/';
    if (closing) ++k;
    const std::size_t nameAt = k;
    while (k < n && NameChar(record[k])) ++k;
    if (k >= n || record[k] != '>' || k == nameAt) continue;
    const int f = IndexOf(record.data() + nameAt, k - nameAt);
    if (f < 0) continue;
    if (closing) {
      if (closeAt[f] == kNone) closeAt[f] = p;
    } else if (valueStart[f] == kNone) {
      valueStart[f] = k + 1;
    }
  }
  values.resize(count);
  for (std::size_t f = 0; f < count; ++f) {
    values[f].clear();
    if (valueStart[f] != kNone && closeAt[f] != kNone && closeAt[f] >= valueStart[f]) {
      values[f].assign(record, valueStart[f], closeAt[f] - valueStart[f]);
    }
  }
}

}  // namespace tarvik
