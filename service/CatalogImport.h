#pragma once
// A supplier's catalogue as CSV (UTF-8, optional BOM, CR LF or LF, fields in
// double quotes may hold commas, line breaks and "" for a quote):
//   G_CODE,G_NAME,G_BOX,G_BCODE,G_BCNT,G_GPN1,G_GPN2[,G_GPSORT1,G_GPSORT2,G_SORT]
// A first line starting with G_CODE is a header and skipped. Without the three
// sort keys, they follow the file: majors in order of first appearance, minors
// likewise within their major, products in file order within their pair.
#include <string>
#include <vector>

namespace tarvik::service {

struct CatalogueRow {
  std::string code, name, box, barcode, count, major, minor, sort1, sort2, sort;
};

// False with an error text (naming the line) on invalid UTF-8, an unclosed
// quote, a wrong number of fields, an empty or repeated G_CODE.
bool ParseCatalogueCsv(const std::string& text, std::vector<CatalogueRow>& out,
                       std::string* error);

}  // namespace tarvik::service
