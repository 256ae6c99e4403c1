#include "service/CatalogImport.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "wire/Text.h"

namespace tarvik::service {

namespace {

std::string Pad(std::size_t value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*zu", width, value);
  return buf;
}

// Splits CSV into records of fields; false on an unclosed quote.
bool SplitCsv(const std::string& text, std::vector<std::vector<std::string>>& records,
              std::vector<std::size_t>& lineOf) {
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, any = false;
  std::size_t line = 1, recordLine = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      any = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
      any = true;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (any || !field.empty()) {
        record.push_back(std::move(field));
        records.push_back(std::move(record));
        lineOf.push_back(recordLine);
      }
      record.clear();
      field.clear();
      any = false;
      recordLine = ++line;
    } else {
      field += c;
      any = true;
    }
  }
  if (quoted) return false;
  if (any || !field.empty()) {
    record.push_back(std::move(field));
    records.push_back(std::move(record));
    lineOf.push_back(recordLine);
  }
  return true;
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
  if (!SplitCsv(text, records, lineOf)) {
    why = "a quoted field is not closed";
    return false;
  }
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
