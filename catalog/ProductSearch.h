#pragma once
// Name search and barcode lookup over one product table.
#include <string>
#include <vector>

#include "session/GoodsRecord.h"

namespace tarvik {

enum class NameMatch { Contains, Prefix };

// Fills shown (every row cleared first) with the rows of the first count rows
// of base whose G_NAME contains key (or begins with it), stopping at the first
// row with an empty G_CODE. Compared exactly, character by character on the
// decoded text, so a Korean syllable never matches part of another. Each copy
// gets its position in shown as RowNo. Returns the number of matches (at most
// shown.size()). An empty key matches every row.
int SearchNames(const std::vector<GoodsRecord>& base, long long count, const std::string& key,
                NameMatch how, std::vector<GoodsRecord>& shown);

// Index of the first of the first count rows whose G_BCODE equals barcode
// exactly; -1 when none does.
int FindBarcode(const std::vector<GoodsRecord>& base, long long count, const std::string& barcode);

// A search box text taken as a barcode: it starts with an ASCII digit, a
// capital A-Z or a blank.
bool LooksLikeBarcode(const std::string& text);

}  // namespace tarvik
