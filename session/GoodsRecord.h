#pragma once
// Rows of the in-memory product tables and their fixed capacities.
#include <cstddef>
#include <string>

namespace tarvik {

constexpr std::size_t kGoodsCapacity = 3000;   // AllGoods, TradedGoods, ShownGoods
constexpr std::size_t kMajorCapacity = 100;    // AllMajors, TradedMajors
constexpr std::size_t kGroupCapacity = 1000;   // AllGroups, TradedGroups
constexpr std::size_t kMajorNameBytes = 20;    // stored major names are cut to this

struct GoodsRecord {
  std::string G_CODE;  // empty marks an empty row
  std::string G_NAME;
  std::string G_BOX;
  std::string G_BCODE;
  std::string G_BCNT;
  std::string G_GPN1;
  std::string G_GPN2;
  std::string U_DATE;
  std::string U_COST;
  std::string U_CNT;
  int RowNo = -1;  // the row's own index in its table; -1 for an empty row

  void Clear() { *this = GoodsRecord(); }
};

struct CategoryPair {
  std::string G_GPN1;
  std::string G_GPN2;
};

}  // namespace tarvik
