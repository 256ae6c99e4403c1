// A supplier's catalogue CSV: refused with a reason, or rows whose derived sort keys keep each category in one run.
#include <map>
#include <set>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "service/admin/CatalogImport.h"
#include "text/Text.h"

using namespace tarvik::fuzz;
using namespace tarvik::service;

TARVIK_FUZZ(text) {
  std::vector<CatalogueRow> rows;
  std::string error;
  if (!ParseCatalogueCsv(text, rows, &error)) return Check(!error.empty(), "a refused file without a reason");
  std::set<std::string> codes;
  bool keysGiven = false;  // keys the file gives are the supplier's to choose
  for (const auto& r : rows) {
    Check(!r.code.empty(), "a row without a G_CODE");
    Check(codes.insert(r.code).second, "a repeated G_CODE taken: " + Shown(r.code));
    for (const std::string* f : {&r.code, &r.name, &r.box, &r.barcode, &r.major, &r.minor})
      Check(tarvik::IsValidUtf8(*f), "a field that is not UTF-8: " + Shown(*f));
    keysGiven |= r.keysGiven;
  }
  if (keysGiven) return;
  // Half the rows as what the supplier had, the rest new.
  const auto half = rows.begin() + static_cast<long>(rows.size() / 2);
  std::vector<CatalogueRow> existing(rows.begin(), half), fresh(half, rows.end());
  DeriveSortKeys(existing, {});
  DeriveSortKeys(fresh, existing);
  // Sorted by the keys, each major (and each major and minor) is one run.
  std::map<std::string, const CatalogueRow*> sorted;
  for (const auto* part : {&existing, &fresh})
    for (const auto& r : *part) sorted[r.sort1 + '\x1F' + r.sort2 + '\x1F' + r.sort + '\x1F' + r.code] = &r;
  std::set<std::string> majorsDone, pairsDone;
  std::string major, pair;
  for (const auto& [key, r] : sorted) {
    const std::string p = r->major + '\x1F' + r->minor;
    if (r->major != major)
      Check(majorsDone.insert(major = r->major).second, "major " + Shown(r->major) + " in two runs");
    if (p != pair) Check(pairsDone.insert(pair = p).second, "minor " + Shown(r->minor) + " in two runs");
  }
}
