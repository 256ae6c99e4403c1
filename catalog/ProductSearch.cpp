#include "catalog/ProductSearch.h"

#include <algorithm>

#include "text/Text.h"

namespace tarvik {

namespace {

std::size_t Usable(const std::vector<GoodsRecord>& rows, long long count) {
  if (count <= 0) return 0;
  return std::min(rows.size(), static_cast<std::size_t>(count));
}

}  // namespace

int SearchNames(const std::vector<GoodsRecord>& base, long long count, const std::string& key,
                NameMatch how, std::vector<GoodsRecord>& shown) {
  for (auto& r : shown) r.Clear();
  const std::u32string k = DecodeUtf8(key);
  const std::size_t n = Usable(base, count);
  std::size_t found = 0;
  std::u32string name;
  for (std::size_t i = 0; i < n && found < shown.size(); ++i) {
    const GoodsRecord& g = base[i];
    if (g.G_CODE.empty()) break;
    // Pure ASCII keys and names could be compared as bytes, but decoding keeps
    // one rule for every text, including malformed bytes (U+FFFD each).
    name = DecodeUtf8(g.G_NAME);
    const bool hit = how == NameMatch::Prefix ? name.compare(0, k.size(), k) == 0 && name.size() >= k.size()
                                              : name.find(k) != std::u32string::npos;
    if (!hit) continue;
    shown[found] = g;
    shown[found].RowNo = static_cast<int>(found);
    ++found;
  }
  return static_cast<int>(found);
}

int FindBarcode(const std::vector<GoodsRecord>& base, long long count, const std::string& barcode) {
  const std::size_t n = Usable(base, count);
  for (std::size_t i = 0; i < n; ++i)
    if (base[i].G_BCODE == barcode) return static_cast<int>(i);
  return -1;
}

bool LooksLikeBarcode(const std::string& text) {
  if (text.empty()) return false;
  const char c = text[0];
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ';
}

}  // namespace tarvik
