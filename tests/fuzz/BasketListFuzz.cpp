// A list file dropped on the basket, decoded, split, planned and applied: UTF-8, and the plan does what it shows.
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "order/BasketImport.h"
#include "order/OrderDraft.h"
#include "text/Text.h"

using namespace tarvik;
using namespace tarvik::fuzz;

namespace {
GoodsRecord Goods(const std::string& code) {
  GoodsRecord g;
  g.G_CODE = code;
  g.G_NAME = "제품 " + code;
  g.G_BOX = "EA";
  g.G_BCODE = "880" + code.substr(5);
  return g;
}
}  // namespace

TARVIK_FUZZ(bytes) {
  const std::string text = DecodeListBytes(bytes);
  Check(IsValidUtf8(text), "decoded text that is not UTF-8: " + Shown(bytes));
  const std::vector<ListRow> rows = SplitListRows(text);
  for (const auto& r : rows) {
    Check(r.rowNo >= 1, "a row number below 1");
    for (const auto& k : r.keys) Check(IsValidUtf8(k), "a key that is not UTF-8");
  }
  static const std::vector<GoodsRecord> traded{Goods("P00001"), Goods("P00002")};
  static const std::vector<GoodsRecord> all{Goods("P00001"), Goods("P00002"), Goods("P00003")};
  const std::vector<GoodsTable> tables{{&traded, 2}, {&all, 3}};
  OrderDraft draft;
  draft.AddLine("P00002", "제품 P00002", "EA", "5", "");
  const ListPlan plan(rows, tables, draft);
  Check(plan.GoodRows() + plan.RefusedRows() == static_cast<int>(plan.Rows().size()), "rows neither good nor refused");
  const int before = draft.LineCount();
  Check(plan.Apply(draft) >= 0 && draft.LineCount() >= before && draft.LineCount() <= kMaxDraftLines,
        "the basket out of bounds");
  for (const auto& r : plan.Rows()) {
    if (r.verdict != RowVerdict::Add && r.verdict != RowVerdict::Raise) continue;
    const int line = draft.FindCode(r.code);
    Check(line >= 0, "a planned line missing from the basket: " + Shown(r.code));
    Check(draft.Line(line).Quantity == r.after, "line " + Shown(r.code) + " holds " +
                                                    Shown(draft.Line(line).Quantity) + ", the plan said " + Shown(r.after));
  }
}
