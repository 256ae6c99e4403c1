#pragma once
// The rules of the category browser TFrmGPartS, without widgets: three lists
// built from the product tables of the log-in (major names SGP1, the minors of
// the selected major SGP2, the products of the selected pair SGN), their
// selections, the count display, and offering the selected product to the
// basket. The session's tables are only read.
//
// A list is never empty: with nothing to show it holds one empty row.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "catalog/BasketPort.h"
#include "catalog/ProductNote.h"
#include "screens/PagedList.h"

namespace tarvik {

class TDM;
struct Seams;

enum class BrowserList { Majors, Minors, Products };  // SGP1, SGP2, SGN

constexpr std::size_t kMinorNameBytes = 20;  // shown minor names are cut to this
constexpr int kTradedMinorLimit = 1000;      // minor names of one major, traded view
constexpr int kAllMinorLimit = 100;          // the same in the all-products view

// One row of SGP2: the minor name as shown and the whole pair it stands for.
// Products are matched by the whole names, so a minor whose name was cut
// still lists its products.
struct MinorRow {
  std::string shown;
  std::string major, minor;
  bool pair = false;  // false: the empty row of an empty list
};

// One row of SGN (only the name is shown).
struct BrowserProduct {
  std::string G_NAME, G_CODE, G_BOX, G_BCNT;
};

class CategoryBrowser {
 public:
  // dm and seams must outlive the browser. The lists stay empty until a view
  // is shown.
  CategoryBrowser(TDM& dm, const Seams& seams);
  CategoryBrowser(const CategoryBrowser&) = delete;
  CategoryBrowser& operator=(const CategoryBrowser&) = delete;

  // Rebuild all three lists from the traded or the all-products tables and
  // put the three selections on row 0.
  void ShowTradedView();
  void ShowAllView();
  bool AllView() const { return all_; }

  // SGP2 = the minors of every pair of the view whose major name is major
  // (a stored major name may be cut to 20 bytes: a pair matches when its
  // major, cut the same way, equals it), in pair-list order, up to the view's
  // limit. The SGP2 selection keeps its row, falling on the last row.
  void ListMinors(const std::string& major);
  // SGN = the products of the view whose G_GPN1 and G_GPN2 equal these whole
  // names, in table order. The SGN selection keeps its row, falling on the
  // last row.
  void ListProducts(const std::string& major, const std::string& minor);

  // A changed selection (a click or a key); row is clamped to the list.
  // A major lists its minors and then the products of the minor at SGP2's
  // selection; a minor lists its products.
  void Select(BrowserList list, int row);
  // Up, Down, Home, End, and PgUp/PgDn by pageRows rows, on one list.
  void Key(BrowserList list, PageKey key, int pageRows);

  int RowCount(BrowserList list) const;
  int Selected(BrowserList list) const;
  // The text a row shows (SGP1 the stored major name, SGP2 the cut minor
  // name, SGN G_NAME); empty past the list.
  std::string Shown(BrowserList list, int row) const;
  const BrowserProduct& Product(int row) const { return products_.at(static_cast<std::size_t>(row)); }
  const BrowserProduct& SelectedProduct() const { return Product(selProduct_); }
  // SBCount: the selected SGN row plus one.
  std::string CountText() const { return std::to_string(selProduct_ + 1); }

  // Offers a product to the basket (the quantity dialog, then the line).
  using OfferToBasket = std::function<Offer(const OfferedProduct&)>;
  // The selected SGN product offered to the basket. An empty row shows
  // "제품을 선택하십시요." and offers nothing. True when a line was added.
  bool AddSelectedProduct(const OfferToBasket& offer);

  // Opens the product-note screen with the product name and the lines.
  using ShowNote = std::function<void(const std::string& name, const NoteLines& lines)>;
  // The note of the selected SGN product: nothing for an empty row; the note
  // lookup's own messages; show only when it found lines.
  void ShowProductNote(const ShowNote& show);
  const NoteLines& Notes() const { return notes_; }

 private:
  void ShowView(bool all);
  void ListProductsOfSelectedMinor();

  TDM& dm_;
  const Seams& seams_;
  bool all_ = false;
  std::vector<std::string> majors_;
  std::vector<MinorRow> minors_;
  std::vector<BrowserProduct> products_;
  int selMajor_ = 0, selMinor_ = 0, selProduct_ = 0;
  NoteLines notes_;
};

}  // namespace tarvik
