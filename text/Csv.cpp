#include "text/Csv.h"

namespace tarvik {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

CsvSplit SplitCsv(const std::string& text, const CsvRules& rules) {
  CsvSplit out;
  const bool blankRuns = rules.separator == ' ';
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  bool fieldStart = true;  // nothing but blanks so far: a quote may still open the field
  bool any = false;        // the record holds something, if only a separator
  std::size_t line = 1, recordLine = 1;
  auto endField = [&] {
    // Between blank runs there is no empty field.
    if (!blankRuns || !field.empty()) record.push_back(rules.trimBlanks ? Trimmed(field) : field);
    field.clear();
    fieldStart = true;
  };
  auto endRecord = [&] {
    if (any || !field.empty()) endField();
    if (!record.empty()) {
      out.records.push_back(std::move(record));
      out.lineOf.push_back(recordLine);
    }
    record.clear();
    field.clear();
    fieldStart = true;
    any = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool quoteNext = i + 1 < text.size() && text[i + 1] == '"';
    if (quoted) {
      if (c == '"' && quoteNext) {
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
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
      recordLine = ++line;
    } else if (c == '"' && fieldStart && (rules.trimBlanks ? Trimmed(field).empty() : field.empty())) {
      field.clear();
      quoted = true;
      fieldStart = false;
      any = true;
    } else if (blankRuns ? IsBlank(c) : c == rules.separator) {
      endField();
      any = true;
    } else {
      field += c;
      any = true;
      if (!IsBlank(c)) fieldStart = false;
    }
  }
  out.unclosedQuote = quoted;
  endRecord();
  return out;
}

}  // namespace tarvik
