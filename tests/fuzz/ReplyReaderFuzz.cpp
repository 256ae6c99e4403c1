// The reply reader and the record field reader against TagValue, on any text.
#include <set>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "wire/MessageFormat.h"

using namespace tarvik::fuzz;

namespace {

// Indices worth asking for: 0..20 and every number written after the prefix, with its neighbours.
std::set<std::size_t> Indices(const std::string& text, const std::string& prefix) {
  std::set<std::size_t> out;
  for (std::size_t i = 0; i <= 20; ++i) out.insert(i);
  for (std::size_t p = text.find(prefix); p != std::string::npos; p = text.find(prefix, p + 1)) {
    std::size_t k = p + prefix.size(), n = 0;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9' && k < p + prefix.size() + 9; ++k)
      n = n * 10 + static_cast<std::size_t>(text[k] - '0');
    if (k == p + prefix.size()) continue;
    out.insert({n, n + 1, n > 0 ? n - 1 : 0});
  }
  return out;
}

// Field names that are prefixes of one another and of the record names.
const std::vector<std::string> kFields = {"G_CODE", "G_CODE2", "G_NAME", "OL_G", "OL_GC",
                                          "RDC_1",  "A",       "a_b",    "CALL_INDEX"};

void CompareFields(const tarvik::RecordFields& reader, const std::string& record) {
  std::vector<std::string> values;
  reader.Read(record, values);
  Check(values.size() == kFields.size(), "RecordFields gave a wrong number of values");
  for (std::size_t f = 0; f < kFields.size(); ++f) {
    const std::string expected = tarvik::TagValue(kFields[f], record);
    Check(values[f] == expected, "RecordFields " + kFields[f] + " gave '" + Shown(values[f]) +
                                     "', TagValue '" + Shown(expected) + "' in '" + Shown(record) + "'");
  }
}

}  // namespace

TARVIK_FUZZ(text) {
  const tarvik::RecordFields fields(kFields);
  for (const std::string prefix : {"RDC_", "OLD_"}) {
    const tarvik::ReplyReader reader(text, prefix);
    for (std::size_t i : Indices(text, prefix)) {
      const std::string record = reader.Record(i);
      const std::string expected = tarvik::TagValue(prefix + std::to_string(i), text);
      Check(record == expected, "Record(" + std::to_string(i) + ") of " + prefix + " gave '" +
                                    Shown(record) + "', TagValue '" + Shown(expected) + "'");
      if (!record.empty()) CompareFields(fields, record);
    }
  }
  CompareFields(fields, text);
  Check(tarvik::TagInt("RESULT_RECORD_COUNT", text) >= 0, "a negative record count");
}
