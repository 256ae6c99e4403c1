#include "mainwindow/ProductPanel.h"

#include <algorithm>

#include "catalog/ProductSearch.h"
#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "order/OrderDraft.h"
#include "order/OrderWire.h"
#include "platform/Prompter.h"
#include "screens/CellFormat.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

ProductPanel::ProductPanel(TDM& dm, const Seams& seams, OrderDraft& draft)
    : dm_(dm), seams_(seams), tables_(dm.Catalogue), draft_(draft) {
  sgu_.Clear();
  sga_.Clear();
  Rebind();
}

bool ProductPanel::ShowsDate() const { return dm_.CustomerInfo.C_GU == "2"; }

void ProductPanel::Rebind() {
  sgu_.SetShowDate(ShowsDate());
  sga_.SetShowDate(ShowsDate());
  if (searchActive_) {
    Visible().SetSource(&tables_.ShownGoods, tables_.ShownCount);
    return;
  }
  sgu_.SetSource(&tables_.TradedGoods, tables_.TradedCount);
  sga_.SetSource(&tables_.AllGoods, tables_.AllCount);
}

std::string ProductPanel::SearchResultText() const {
  if (!searchActive_) return std::string();
  if (tables_.ShownCount <= 0) return "검색결과가 없습니다";
  return "검색결과 " + FormatGrouped(static_cast<double>(tables_.ShownCount), 0) + "건";
}

const std::vector<GoodsRecord>& ProductPanel::BaseTable() const {
  return allShown_ ? tables_.AllGoods : tables_.TradedGoods;
}

long long ProductPanel::BaseCount() const { return allShown_ ? tables_.AllCount : tables_.TradedCount; }

void ProductPanel::ListSwitch() {
  searchActive_ = false;
  allShown_ = allChecked_;
  Rebind();
  Visible().FillPage(0, 0);
  Visible().Select(0);
}

ProductPanel::BoxResult ProductPanel::SearchBoxEnter(const std::string& t, bool unitPriceCheck) {
  BoxResult r;
  if (t.empty()) return r;
  if (LooksLikeBarcode(t)) {
    if (unitPriceCheck) {
      r.found = ScanLocate(t);
      r.clearBox = true;
      return r;
    }
    if (ScanAdd(t)) {
      r.clearBox = r.found = true;
      return r;
    }
  }
  return NameSearchBox(t, false);
}

ProductPanel::BoxResult ProductPanel::SearchBoxPrefix(const std::string& t) { return NameSearchBox(t, true); }

ProductPanel::BoxResult ProductPanel::NameSearchBox(const std::string& t, bool prefix) {
  BoxResult r;
  const std::string key = TrimRightBlanks(t);
  r.clearBox = true;
  if (!key.empty()) {
    Search(key, prefix);
    r.focusList = true;
  }
  return r;
}

bool ProductPanel::ScanLocate(const std::string& t) {
  const int i = FindBarcode(BaseTable(), BaseCount(), t);
  if (i < 0) return false;
  Visible().FillPage(BaseTable()[static_cast<std::size_t>(i)].RowNo, 0);
  return true;
}

bool ProductPanel::ScanAdd(const std::string& t) {
  const int i = FindBarcode(BaseTable(), BaseCount(), t);
  if (i < 0) return false;
  const GoodsRecord& g = BaseTable()[static_cast<std::size_t>(i)];
  Visible().FillPage(g.RowNo, 0);
  draft_.AddOrRaise(g.G_CODE, g.G_NAME, g.G_BOX, "1");
  return true;
}

void ProductPanel::Search(const std::string& key, bool prefix) {
  // Read the base before SearchActive makes the visible list show ShownGoods.
  const auto& base = BaseTable();
  const long long n = BaseCount();
  tables_.ShownCount = SearchNames(base, n, key, prefix ? NameMatch::Prefix : NameMatch::Contains,
                               tables_.ShownGoods);
  searchActive_ = true;
  Rebind();
  Visible().FillPage(0, 0);
  Visible().Select(0);
}

void ProductPanel::ContainsSearch(const std::string& key) { Search(key, false); }
void ProductPanel::PrefixSearch(const std::string& key) { Search(key, true); }

namespace {

// Removes row i of a table of count rows: later rows move up and keep RowNo
// equal to their index.
void RemoveAt(std::vector<GoodsRecord>& table, long long& count, std::size_t i) {
  const std::size_t n = std::min(table.size(), static_cast<std::size_t>(std::max(count, 0LL)));
  if (i >= n) return;
  for (std::size_t r = i; r + 1 < n; ++r) {
    table[r] = std::move(table[r + 1]);
    if (!table[r].G_CODE.empty()) table[r].RowNo = static_cast<int>(r);
  }
  table[n - 1].Clear();
  --count;
}

}  // namespace

bool ProductPanel::DeleteTradedProduct() {
  const ProductPage& page = sgu_;
  const std::string code = page.Cell(page.Selected(), kColCode);
  if (code.empty()) return false;
  const std::string name = page.Cell(page.Selected(), kColName);
  if (!seams_.prompter.AskToDiscard("제품: " + name + " 를" + "\r\r" + "거래된 제품 목록에서 삭제합니다.")) return false;
  const std::string reply =
      RequestUnitCostDelete(seams_.service, dm_.MasterInfo.M_CODE, dm_.CustomerInfo.C_CODE, code).reply;
  if (!ReplySucceeded(reply)) {
    seams_.prompter.Show(FailureText("등록삭제 오류입니다.", reply, ""));
    return false;
  }
  DropSelectedTraded();
  return true;
}

void ProductPanel::DropSelectedTraded() {
  ProductPage& page = sgu_;
  const std::string code = page.Cell(page.Selected(), kColCode);
  if (code.empty()) return;
  const long long top = std::max(page.Top(), 0LL);
  const int sel = page.Selected();
  for (std::size_t i = 0; i < tables_.TradedGoods.size() && static_cast<long long>(i) < tables_.TradedCount; ++i)
    if (tables_.TradedGoods[i].G_CODE == code) {
      RemoveAt(tables_.TradedGoods, tables_.TradedCount, i);
      break;
    }
  if (searchActive_ && !allShown_) {
    for (std::size_t i = 0; i < tables_.ShownGoods.size() && static_cast<long long>(i) < tables_.ShownCount; ++i)
      if (tables_.ShownGoods[i].G_CODE == code) {
        RemoveAt(tables_.ShownGoods, tables_.ShownCount, i);
        break;
      }
  }
  Rebind();
  page.FillPage(top, 0);
  page.Select(sel);
  while (page.Selected() > 0 && page.RowEmpty(page.Selected())) page.Select(page.Selected() - 1);
}

}  // namespace tarvik
