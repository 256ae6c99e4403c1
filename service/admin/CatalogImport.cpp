#include "service/admin/CatalogImport.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "text/Csv.h"
#include "text/Text.h"

namespace tarvik::service {

namespace {

std::string Pad(std::size_t value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*zu", width, value);
  return buf;
}

// The records of a UTF-8 CSV file (a leading byte order mark dropped), with
// the line each starts on.
bool ReadCsv(const std::string& input, std::vector<std::vector<std::string>>& records,
             std::vector<std::size_t>& lineOf, std::string& why) {
  std::string text = input;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (!IsValidUtf8(text)) {
    why = "the file is not UTF-8";
    return false;
  }
  CsvSplit split = SplitCsv(text);
  if (split.unclosedQuote) {
    why = "a quoted field is not closed";
    return false;
  }
  records = std::move(split.records);
  lineOf = std::move(split.lineOf);
  return true;
}

}  // namespace

bool ParseCatalogueCsv(const std::string& input, std::vector<CatalogueRow>& out,
                       std::string* error) {
  out.clear();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    out.clear();
    return false;
  };
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lineOf;
  std::string why;
  if (!ReadCsv(input, records, lineOf, why)) return fail(why);
  std::set<std::string> codes;
  for (std::size_t r = 0; r < records.size(); ++r) {
    const auto& f = records[r];
    const std::string where = "line " + std::to_string(lineOf[r]) + ": ";
    if (r == 0 && !f.empty() && f[0] == "G_CODE") continue;
    if (f.size() != 7 && f.size() != 10) return fail(where + "7 or 10 fields expected");
    if (f[0].empty()) return fail(where + "empty G_CODE");
    if (!codes.insert(f[0]).second) return fail(where + "G_CODE " + f[0] + " repeated");
    CatalogueRow row{f[0], f[1], f[2], f[3], f[4], f[5], f[6], "", "", ""};
    if (f.size() == 10) {
      row.sort1 = f[7];
      row.sort2 = f[8];
      row.sort = f[9];
      row.keysGiven = true;
    }
    out.push_back(std::move(row));
  }
  return true;
}

bool ParseCodeList(const std::string& input, std::vector<std::string>& codes, std::string* error) {
  codes.clear();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    codes.clear();
    return false;
  };
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lineOf;
  std::string why;
  if (!ReadCsv(input, records, lineOf, why)) return fail(why);
  for (std::size_t r = 0; r < records.size(); ++r) {
    const auto& f = records[r];
    if (r == 0 && !f.empty() && f[0] == "G_CODE") continue;
    if (f.empty() || f[0].empty()) return fail("line " + std::to_string(lineOf[r]) + ": empty G_CODE");
    codes.push_back(f[0]);
  }
  return true;
}

void DeriveSortKeys(std::vector<CatalogueRow>& rows, const std::vector<CatalogueRow>& existing) {
  using Pair = std::pair<std::string, std::string>;
  // A key made by appending to the largest old one sorts after every old key.
  std::string lastMajor;
  std::map<std::string, std::string> majorKey, lastMinorOf;
  std::map<Pair, std::string> pairKey, lastSortOf;
  for (const auto& e : existing) {
    lastMajor = std::max(lastMajor, e.sort1);
    auto m = majorKey.emplace(e.major, e.sort1).first;
    m->second = std::min(m->second, e.sort1);
    auto& lm = lastMinorOf[e.major];
    lm = std::max(lm, e.sort2);
    const Pair key{e.major, e.minor};
    auto p = pairKey.emplace(key, e.sort2).first;
    p->second = std::min(p->second, e.sort2);
    auto& ls = lastSortOf[key];
    ls = std::max(ls, e.sort);
  }
  std::size_t newMajors = 0;
  std::map<std::string, std::size_t> newMinors;
  std::map<Pair, std::size_t> added;
  for (auto& row : rows) {
    if (row.keysGiven) continue;
    auto m = majorKey.find(row.major);
    if (m == majorKey.end()) m = majorKey.emplace(row.major, lastMajor + Pad(++newMajors, 3)).first;
    const Pair key{row.major, row.minor};
    auto p = pairKey.find(key);
    if (p == pairKey.end())
      p = pairKey.emplace(key, lastMinorOf[row.major] + Pad(++newMinors[row.major], 3)).first;
    row.sort1 = m->second;
    row.sort2 = p->second;
    row.sort = lastSortOf[key] + Pad(++added[key], 5);
  }
}

}  // namespace tarvik::service
