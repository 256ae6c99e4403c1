#include "screens/CellFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text/Text.h"

namespace tarvik {

std::optional<double> ParseNumber(const std::string& text) {
  const std::string s = TrimBlanks(text);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return std::nullopt;
  // strtod also reads "inf", hex and exponents; a cell holds plain decimals.
  for (char c : s)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')) return std::nullopt;
  return v;
}

std::string FormatGrouped(double value, int maxDecimals) {
  // Halves round away from zero, as the format patterns do.
  const double scale = std::pow(10.0, maxDecimals);
  const double scaled = value * scale;
  const double rounded = std::isfinite(scaled) ? std::round(scaled) / scale : value;
  // A plain decimal of a double may run to 300 digits and more: size the text
  // to it, so a long number is never cut off.
  const int length = std::snprintf(nullptr, 0, "%.*f", maxDecimals, rounded);
  std::string s(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  std::snprintf(s.data(), s.size(), "%.*f", maxDecimals, rounded);
  s.resize(static_cast<std::size_t>(std::max(length, 0)));
  std::string sign;
  if (!s.empty() && s[0] == '-') {
    sign = "-";
    s.erase(0, 1);
  }
  std::string frac;
  const auto dot = s.find('.');
  if (dot != std::string::npos) {
    frac = s.substr(dot + 1);
    s.erase(dot);
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
  }
  std::string grouped;
  const int n = static_cast<int>(s.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) grouped += ',';
    grouped += s[i];
  }
  if (grouped == "0" && frac.empty()) sign.clear();
  return sign + grouped + (frac.empty() ? std::string() : "." + frac);
}

}  // namespace tarvik
