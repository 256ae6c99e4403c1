#include "catalog/CategoryBrowser.h"

#include <algorithm>

#include "platform/Prompter.h"
#include "session/Seams.h"
#include "text/Text.h"
#include "session/Session.h"

namespace tarvik {
namespace {

// The part of one table set that holds entries. A set that was never built
// (refused read or empty catalogue) keeps its category counts at the start
// values 99 and 999 over empty tables; it holds no categories.
struct ViewTables {
  const std::vector<GoodsRecord>& goods;
  std::size_t goodsUsed;
  const std::vector<std::string>& majors;
  std::size_t majorsUsed;
  const std::vector<CategoryPair>& pairs;
  std::size_t pairsUsed;
};

std::size_t Used(long long count, std::size_t capacity) {
  return count <= 0 ? 0 : std::min(static_cast<std::size_t>(count), capacity);
}

ViewTables Tables(const TDM& dm, bool all) {
  const CatalogueTables& t = dm.Catalogue;
  const long long count = all ? t.AllCount : t.TradedCount;
  const bool built = count > 0;
  const auto& majors = all ? t.AllMajors : t.TradedMajors;
  const auto& pairs = all ? t.AllGroups : t.TradedGroups;
  return {all ? t.AllGoods : t.TradedGoods,
          Used(count, (all ? t.AllGoods : t.TradedGoods).size()),
          majors,
          built ? Used(all ? t.AllMajorCount : t.TradedMajorCount, majors.size()) : 0,
          pairs,
          built ? Used(all ? t.AllGroupCount : t.TradedGroupCount, pairs.size()) : 0};
}

int Clamp(int row, std::size_t rows) { return std::clamp(row, 0, static_cast<int>(rows) - 1); }

}  // namespace

CategoryBrowser::CategoryBrowser(TDM& dm, const Seams& seams)
    : dm_(dm), seams_(seams), majors_(1), minors_(1), products_(1) {}

void CategoryBrowser::ShowTradedView() { ShowView(false); }
void CategoryBrowser::ShowAllView() { ShowView(true); }

void CategoryBrowser::ShowView(bool all) {
  all_ = all;
  const ViewTables t = Tables(dm_, all_);
  majors_.assign(t.majors.begin(), t.majors.begin() + static_cast<std::ptrdiff_t>(t.majorsUsed));
  if (majors_.empty()) majors_.emplace_back();
  selMajor_ = selMinor_ = selProduct_ = 0;
  ListMinors(majors_[0]);
  ListProductsOfSelectedMinor();
}

void CategoryBrowser::ListMinors(const std::string& major) {
  const ViewTables t = Tables(dm_, all_);
  const std::size_t limit = all_ ? kAllMinorLimit : kTradedMinorLimit;
  minors_.clear();
  for (std::size_t i = 0; i < t.pairsUsed && minors_.size() < limit; ++i) {
    const CategoryPair& p = t.pairs[i];
    // The major list holds names cut to 20 bytes; the pairs hold them whole.
    if (p.G_GPN1 != major && CutCp949(p.G_GPN1, kMajorNameBytes) != major) continue;
    minors_.push_back({CutCp949(p.G_GPN2, kMinorNameBytes), p.G_GPN1, p.G_GPN2, true});
  }
  if (minors_.empty()) minors_.emplace_back();
  selMinor_ = Clamp(selMinor_, minors_.size());
}

void CategoryBrowser::ListProducts(const std::string& major, const std::string& minor) {
  const ViewTables t = Tables(dm_, all_);
  products_.clear();
  for (std::size_t i = 0; i < t.goodsUsed; ++i) {
    const GoodsRecord& g = t.goods[i];
    if (g.G_GPN1 == major && g.G_GPN2 == minor) products_.push_back({g.G_NAME, g.G_CODE, g.G_BOX, g.G_BCNT});
  }
  if (products_.empty()) products_.emplace_back();
  selProduct_ = Clamp(selProduct_, products_.size());
}

void CategoryBrowser::ListProductsOfSelectedMinor() {
  const MinorRow& m = minors_[static_cast<std::size_t>(selMinor_)];
  if (m.pair) {
    ListProducts(m.major, m.minor);
  } else {
    products_.assign(1, BrowserProduct());
    selProduct_ = 0;
  }
}

void CategoryBrowser::Select(BrowserList list, int row) {
  switch (list) {
    case BrowserList::Majors:
      selMajor_ = Clamp(row, majors_.size());
      ListMinors(majors_[static_cast<std::size_t>(selMajor_)]);
      ListProductsOfSelectedMinor();
      break;
    case BrowserList::Minors:
      selMinor_ = Clamp(row, minors_.size());
      ListProductsOfSelectedMinor();
      break;
    case BrowserList::Products:
      selProduct_ = Clamp(row, products_.size());
      break;
  }
}

void CategoryBrowser::Key(BrowserList list, PageKey key, int pageRows) {
  const int last = RowCount(list) - 1;
  const int now = Selected(list);
  const int page = std::max(pageRows, 1);
  int row = now;
  switch (key) {
    case PageKey::Up: row = now - 1; break;
    case PageKey::Down: row = now + 1; break;
    case PageKey::Home: row = 0; break;
    case PageKey::End: row = last; break;
    case PageKey::PgUp: row = now - page; break;
    case PageKey::PgDn: row = now + page; break;
  }
  row = std::clamp(row, 0, last);
  if (row != now) Select(list, row);
}

int CategoryBrowser::RowCount(BrowserList list) const {
  switch (list) {
    case BrowserList::Majors: return static_cast<int>(majors_.size());
    case BrowserList::Minors: return static_cast<int>(minors_.size());
    case BrowserList::Products: return static_cast<int>(products_.size());
  }
  return 0;
}

int CategoryBrowser::Selected(BrowserList list) const {
  switch (list) {
    case BrowserList::Majors: return selMajor_;
    case BrowserList::Minors: return selMinor_;
    case BrowserList::Products: return selProduct_;
  }
  return 0;
}

std::string CategoryBrowser::Shown(BrowserList list, int row) const {
  if (row < 0 || row >= RowCount(list)) return std::string();
  const auto r = static_cast<std::size_t>(row);
  switch (list) {
    case BrowserList::Majors: return majors_[r];
    case BrowserList::Minors: return minors_[r].shown;
    case BrowserList::Products: return products_[r].G_NAME;
  }
  return std::string();
}

bool CategoryBrowser::AddSelectedProduct(const OfferToBasket& offer) {
  const BrowserProduct product = SelectedProduct();
  if (product.G_CODE.empty()) {
    seams_.prompter.Show("제품을 선택하십시요.");
    return false;
  }
  const OfferedProduct p{product.G_CODE, product.G_NAME, product.G_BOX,
                         product.G_BCNT.empty() ? "0" : product.G_BCNT};
  return offer && offer(p) == Offer::Added;
}

void CategoryBrowser::ShowProductNote(const ShowNote& show) {
  const std::string code = TrimRightBlanks(SelectedProduct().G_CODE);
  const std::string name = TrimRightBlanks(SelectedProduct().G_NAME);
  if (code.empty()) return;
  const int n = LoadProductNote(dm_, seams_, code, true);
  if (n <= 0) return;
  FillNoteLines(notes_, dm_.Catalogue.MemoReply, n);
  if (show) show(name, notes_);
}

}  // namespace tarvik
