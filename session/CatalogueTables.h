#pragma once
// The supplier's catalogue as the log-in read it: the replies, their counts
// and the product and category tables built from them, allocated once for
// the run.
#include <string>
#include <vector>

#include "session/GoodsRecord.h"

namespace tarvik {

struct CatalogueTables {
  // Replies and counts (count -1 after a refused read).
  std::string AllReply;
  long long AllCount = 0;
  int AllMajorCount = 99;
  int AllGroupCount = 999;
  std::string TradedReply;
  long long TradedCount = 0;
  int TradedMajorCount = 99;
  int TradedGroupCount = 999;
  long long ShownCount = 0;
  std::string MemoReply;

  std::vector<GoodsRecord> AllGoods = std::vector<GoodsRecord>(kGoodsCapacity);
  std::vector<GoodsRecord> TradedGoods = std::vector<GoodsRecord>(kGoodsCapacity);
  std::vector<GoodsRecord> ShownGoods = std::vector<GoodsRecord>(kGoodsCapacity);
  std::vector<std::string> AllMajors = std::vector<std::string>(kMajorCapacity);
  std::vector<std::string> TradedMajors = std::vector<std::string>(kMajorCapacity);
  std::vector<CategoryPair> AllGroups = std::vector<CategoryPair>(kGroupCapacity);
  std::vector<CategoryPair> TradedGroups = std::vector<CategoryPair>(kGroupCapacity);
};

}  // namespace tarvik
