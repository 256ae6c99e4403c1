#include "service/operations/RequestLog.h"

#include <cstdio>
#include <ctime>

namespace tarvik::service {

namespace {

// The length of the whole UTF-8 character at s[i]; 0 when there is none.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const std::size_t n = c >= 0xf5 ? 0 : c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return 0;
  }
  return n;
}

// Printable ASCII and whole UTF-8 characters as they are (the journal keeps
// a line with broken UTF-8 as a blob); anything else as \xNN.
std::string Clean(const std::string& value, std::size_t max) {
  std::string out;
  std::size_t i = 0;
  while (i < value.size() && i < max) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c > ' ' && c < 0x7f && c != '=' && c != '\\') {
      out += static_cast<char>(c);
      ++i;
    } else if (const std::size_t n = c >= 0x80 ? Utf8Length(value, i) : 0) {
      if (i + n > max) break;  // never half a character
      out.append(value, i, n);
      i += n;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
      ++i;
    }
  }
  if (i < value.size()) out += "...";
  return out;
}

void Field(std::string& line, const char* name, const std::string& value) {
  if (value.empty()) return;
  line += ' ';
  line += name;
  line += '=';
  line += Clean(value, 64);
}

}  // namespace

std::string RequestLogLine(const Exchange& e, std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
  const std::time_t secs = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&secs, &utc);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(ms % 1000));
  std::string line = stamp;
  Field(line, "client", e.peer);
  const HttpHead empty;
  const HttpHead& head = e.head ? *e.head : empty;
  Field(line, "for", head.forwardedFor);
  line += ' ';
  line += head.method.empty() ? "-" : Clean(head.method, 16);
  line += ' ';
  line += head.path.empty() ? "-" : Clean(head.path, 200);
  if (e.facts) {
    const ReplyFacts& f = *e.facts;
    Field(line, "command", f.command);
    Field(line, "supplier", f.supplier);
    Field(line, "supplier-id", f.supplierId);
    Field(line, "orderer", f.orderer);
    Field(line, "orderer-id", f.ordererId);
    Field(line, "order", f.order);
  }
  char tail[160];
  std::snprintf(tail, sizeof tail, " status=%d", e.status);
  line += tail;
  if (e.facts) {
    Field(line, "result", e.facts->result);
    if (e.facts->records >= 0) Field(line, "records", std::to_string(e.facts->records));
    if (e.facts->cache == ReplyFacts::Cache::kHit) line += " cache=hit";
    if (e.facts->cache == ReplyFacts::Cache::kMiss) line += " cache=miss";
  }
  std::snprintf(tail, sizeof tail, " ms=%.1f bytes=%zu\n", e.seconds * 1000, e.bytes);
  line += tail;
  return line;
}

}  // namespace tarvik::service
