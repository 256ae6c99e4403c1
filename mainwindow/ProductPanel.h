#pragma once
// The right half of the main screen without widgets: which list is shown, its
// page, the search box rules, barcode entry and the removal of a traded
// product. Works on the session's tables and the order draft it is given.
#include <string>
#include <vector>

#include "catalog/ProductList.h"

namespace tarvik {

struct CatalogueTables;
class TDM;
class OrderDraft;
struct Seams;

class ProductPanel {
 public:
  // dm, seams and draft must outlive the panel.
  ProductPanel(TDM& dm, const Seams& seams, OrderDraft& draft);

  // The orderer class "2" sees unit-cost dates instead of prices.
  bool ShowsDate() const;

  // Which radio button is checked; takes effect at the next ListSwitch.
  void SetAllChecked(bool all) { allChecked_ = all; }
  bool AllChecked() const { return allChecked_; }
  // The search box got the focus: clears SearchActive and shows the checked
  // list from record 0 with row 0 selected.
  void ListSwitch();
  bool AllShown() const { return allShown_; }
  bool SearchActive() const { return searchActive_; }
  // What the list shows, said beside it: "검색결과 N건" while a name search's
  // results are shown, "검색결과가 없습니다" when it found nothing, empty while
  // a whole list is shown (so "0 found" never looks like the full list).
  std::string SearchResultText() const;

  ProductPage& Visible() { return allShown_ ? sga_ : sgu_; }
  const ProductPage& Visible() const { return allShown_ ? sga_ : sgu_; }
  ProductPage& Traded() { return sgu_; }
  ProductPage& All() { return sga_; }

  // Base table of the visible list (never ShownGoods) and its count.
  const std::vector<GoodsRecord>& BaseTable() const;
  long long BaseCount() const;

  struct BoxResult {
    bool clearBox = false;   // the search box is emptied
    bool focusList = false;  // a name search ran: focus goes to the list
    bool found = false;      // taken as a barcode and its product found
  };
  // Enter in the search box with text t; unitPriceCheck is ChkBxOCost.
  BoxResult SearchBoxEnter(const std::string& t, bool unitPriceCheck);
  // F11 in the search box.
  BoxResult SearchBoxPrefix(const std::string& t);

  // Barcode lookups over the visible list's base table.
  bool ScanAdd(const std::string& t);
  bool ScanLocate(const std::string& t);
  void ContainsSearch(const std::string& key);
  void PrefixSearch(const std::string& key);

  // SBF8U: asks whether to remove the selected traded product, asks the
  // service to remove it (RequestUnitCostDelete) and drops it (below). False when nothing
  // was selected, the answer was No, or the service refused
  // ("등록삭제 오류입니다." shown, page unchanged).
  bool DeleteTradedProduct();

  // The selected row of the traded list after the service removed it: the
  // product leaves TradedGoods (and the search results) at once, so no later
  // page brings it back, and the page is refilled from the same top.
  void DropSelectedTraded();

 private:
  // The box's text without trailing blanks, when not empty, searched as a name.
  BoxResult NameSearchBox(const std::string& t, bool prefix);
  void Search(const std::string& key, bool prefix);
  void Rebind();

  TDM& dm_;
  const Seams& seams_;
  CatalogueTables& tables_;  // dm_'s
  OrderDraft& draft_;
  ProductPage sgu_, sga_;
  bool allChecked_ = false;
  bool allShown_ = false;
  bool searchActive_ = false;
};

}  // namespace tarvik
