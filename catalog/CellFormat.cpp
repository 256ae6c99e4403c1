#include "catalog/CellFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/UDM.h"

namespace tarvik {

std::optional<double> ParseNumber(const std::string& text) {
  const std::string s = TrimLeftBlanks(TrimRightBlanks(text));
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

CellText ProductCell(int col, const std::string& raw, bool showDate) {
  CellText c;
  c.text = TrimRightBlanks(raw);
  c.indent = col <= 2 ? 6 : 4;
  if (col != 4) return c;
  if (showDate) {
    c.text = c.text.size() == 6 ? FormatYymmdd(c.text) : std::string();
    return c;
  }
  const auto v = ParseNumber(c.text);
  if (v && *v != 0) {
    c.text = FormatGrouped(*v, 2);
    c.rightAligned = true;
  }
  return c;
}

CellText DraftCell(int col, const std::string& raw) {
  CellText c;
  c.text = TrimRightBlanks(raw);
  c.indent = col == 1 ? 6 : 4;
  if (col == 0 || col == 3) {
    std::string t = c.text;
    if (col == 3) {
      std::string s;
      for (char ch : t)
        if (ch != ',') s += ch;
      t = s;
    }
    const auto v = ParseNumber(t);
    if (v && *v != 0) {
      c.text = FormatGrouped(*v, col == 0 ? 0 : 2);
      c.rightAligned = true;
    } else if (col == 3 && (!v || *v == 0) && (t.empty() || v)) {
      c.text.clear();  // zero or empty is drawn blank
    }
  }
  return c;
}

}  // namespace tarvik
