#include "text/Text.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "text/CodePage.h"

namespace tarvik {
namespace {

// Length of a well-formed sequence at s[i], or 0 when the bytes there are not one.
std::size_t SeqLen(const std::string& s, std::size_t i, char32_t* out) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  const std::size_t n = s.size();
  if (c < 0x80) {
    if (out) *out = c;
    return 1;
  }
  std::size_t len;
  char32_t cp;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    len = 2; cp = c & 0x1F; min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3; cp = c & 0x0F; min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4; cp = c & 0x07; min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > n) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  if (out) *out = cp;
  return len;
}

}  // namespace

bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = SeqLen(s, i, nullptr);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::size_t Cp949Width(char32_t cp) {
  if (cp < 0x80) return 1;
  // Hangul syllables are all in CP949 (KS X 1001 plus the UHC extension).
  if (cp >= 0xAC00 && cp <= 0xD7A3) return 2;
  static std::mutex mu;
  static std::unordered_map<char32_t, std::size_t> cache;
  std::lock_guard<std::mutex> lock(mu);
  auto it = cache.find(cp);
  if (it != cache.end()) return it->second;
  const std::size_t width = SystemCp949Width(cp);
  cache.emplace(cp, width == 0 ? 1 : width);
  return width == 0 ? 1 : width;
}

std::size_t Cp949Length(const std::string& s) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t len = SeqLen(s, i, &cp);
    if (len == 0) {
      total += 1;
      i += 1;
    } else {
      total += Cp949Width(cp);
      i += len;
    }
  }
  return total;
}

std::string CutCp949(const std::string& s, std::size_t maxBytes) {
  std::size_t total = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t cp = 0;
    std::size_t len = SeqLen(s, i, &cp);
    std::size_t width = 1;
    if (len == 0) {
      len = 1;
    } else {
      width = Cp949Width(cp);
    }
    if (total + width > maxBytes) break;
    total += width;
    i += len;
  }
  return s.substr(0, i);
}

std::string Cp949ToUtf8(const std::string& s) {
  // Every two-byte character CP949 can have, read once from the system's
  // converter: lead 0x81..0xFE, trail 0x41..0xFE.
  constexpr unsigned kLeads = 0xFE - 0x81 + 1, kTrails = 0xFE - 0x41 + 1;
  static const std::vector<char32_t> pairs = [] {
    std::vector<char32_t> t(kLeads * kTrails);
    for (unsigned l = 0; l < kLeads; ++l)
      for (unsigned r = 0; r < kTrails; ++r)
        t[l * kTrails + r] = SystemCp949Pair(static_cast<unsigned char>(0x81 + l),
                                             static_cast<unsigned char>(0x41 + r));
    return t;
  }();
  std::u32string out;
  out.reserve(s.size());
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  for (std::size_t i = 0; i < s.size();) {
    if (b(i) < 0x80) {
      out.push_back(b(i++));
      continue;
    }
    char32_t cp = 0;
    if (i + 1 < s.size() && b(i) >= 0x81 && b(i) <= 0xFE && b(i + 1) >= 0x41 && b(i + 1) <= 0xFE)
      cp = pairs[(b(i) - 0x81) * kTrails + (b(i + 1) - 0x41)];
    // A byte that starts no character is replaced and the next one read afresh.
    out.push_back(cp != 0 ? cp : U'\uFFFD');
    i += cp != 0 ? 2 : 1;
  }
  return EncodeUtf8(out);
}

std::u32string DecodeUtf8(const std::string& s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const std::size_t len = SeqLen(s, i, &cp);
    if (len == 0) {
      out.push_back(U'\uFFFD');
      i += 1;
    } else {
      out.push_back(cp);
      i += len;
    }
  }
  return out;
}

std::string EncodeUtf8(const std::u32string& s) {
  std::string out;
  out.reserve(s.size());
  for (char32_t cp : s) {
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::size_t NextCharEnd(const std::string& s, std::size_t i) {
  const std::size_t len = SeqLen(s, i, nullptr);
  return i + (len == 0 ? 1 : len);
}

std::string AsciiLower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string TrimRightBlanks(const std::string& s) {
  const auto e = s.find_last_not_of(' ');
  return e == std::string::npos ? std::string() : s.substr(0, e + 1);
}

std::string TrimLeftBlanks(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

std::string TrimBlanks(const std::string& s) { return TrimLeftBlanks(TrimRightBlanks(s)); }

std::string FormatYymmdd(const std::string& s) {
  if (s.size() != 6 || s == "      ") return s;
  // Six bytes of UTF-8 holding a Korean letter are not six characters, and
  // cutting them at bytes 2 and 4 would split a character.
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return s;
  }
  return s.substr(0, 2) + "/" + s.substr(2, 2) + "/" + s.substr(4, 2);
}

std::string YymmddProblem(const std::string& text, bool allowEmpty) {
  const std::string t = TrimRightBlanks(text);
  bool valid = false;
  if (t.size() != 6) {
    valid = t.empty() && allowEmpty;
  } else {
    bool digits = true;
    for (char c : t) digits = digits && c >= '0' && c <= '9';
    if (digits) {
      static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
      const int yy = std::stoi(t.substr(0, 2));
      const int mm = std::stoi(t.substr(2, 2));
      const int dd = std::stoi(t.substr(4, 2));
      if (mm >= 1 && mm <= 12) {
        int days = kDays[mm - 1];
        if (mm == 2 && yy % 4 == 0) days = 29;
        valid = dd >= 1 && dd <= days;
      }
    }
  }
  if (valid) return std::string();
  return text.empty() ? "검색할 날짜가 없습니다." : "날짜가 정확하지 않습니다.\r\r" + std::string(13, ' ') + text;
}

bool StartsWithOtherChar(const std::string& s) {
  if (s.empty()) return false;
  const char c = s[0];
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ') return false;
  return true;
}

std::string TextBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker) {
  const auto p = text.find(startMarker);
  const auto q = text.find(endMarker);
  if (p == std::string::npos || q == std::string::npos) return std::string();
  const auto start = p + startMarker.size();
  if (q < start) return std::string();
  return text.substr(start, q - start);
}

}  // namespace tarvik
