#pragma once
// A supplier's catalogue as CSV (UTF-8, optional BOM, CR LF or LF, fields in
// double quotes may hold commas, line breaks and "" for a quote):
//   G_CODE,G_NAME,G_BOX,G_BCODE,G_BCNT,G_GPN1,G_GPN2[,G_GPSORT1,G_GPSORT2,G_SORT]
// A first line starting with G_CODE is a header and skipped. Rows without the
// three sort keys get them from DeriveSortKeys.
#include <string>
#include <vector>

namespace tarvik::service {

struct CatalogueRow {
  std::string code, name, box, barcode, count, major, minor, sort1, sort2, sort;
  bool keysGiven = false;  // the file named the three sort keys
};

// False with an error text (naming the line) on invalid UTF-8, an unclosed
// quote, a wrong number of fields, an empty or repeated G_CODE.
bool ParseCatalogueCsv(const std::string& text, std::vector<CatalogueRow>& out,
                       std::string* error);

// Sort keys for the rows without them, so that the catalogue sorted by
// (G_GPSORT1, G_GPSORT2, G_SORT) still brings each major and each (major,
// minor) pair in one run: a category the supplier already has (in existing,
// its other products) keeps its key and the new products follow its old ones;
// new categories follow all existing ones, in order of first appearance.
void DeriveSortKeys(std::vector<CatalogueRow>& rows, const std::vector<CatalogueRow>& existing);

// The G_CODEs of a list of products to remove, in the same CSV form: the first
// field of every record counts (so a catalogue file itself can name them), a
// first record starting with G_CODE is a header. False with an error text
// (naming the line) on invalid UTF-8, an unclosed quote or an empty G_CODE.
bool ParseCodeList(const std::string& text, std::vector<std::string>& codes, std::string* error);

}  // namespace tarvik::service
