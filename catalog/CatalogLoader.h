#pragma once
// The catalogue load after log-in: all products of the supplier, then the
// products the orderer has traded, each kept whole in the session and
// unpacked into its fixed table with two category indexes (major names and
// major/minor pairs).
//
// After a load, for each set (All.../Traded...):
//  - Count is the reply's RESULT_RECORD_COUNT, which may exceed the 3000 rows
//    of the table (only the first kGoodsCapacity are stored: read
//    min(Count, kGoodsCapacity) rows), 0 for an empty catalogue, -1 after a
//    refused read;
//  - MajorCount / GroupCount hold the entries used (start values 99 / 999
//    stay when nothing was built).
// Messages go through the Seams' prompter; the progress goes through
// LoadProgress, so no widget is involved here.
#include <string>
#include <vector>

#include "session/GoodsRecord.h"

namespace tarvik {

class TDM;
struct Seams;

// Told once per record while a table is built.
class LoadProgress {
 public:
  virtual ~LoadProgress() = default;
  virtual void Begin(long long maximum) = 0;
  virtual void Step(long long position) = 0;
  virtual void End() = 0;
};

// One set of tables being built (references into the session).
struct GoodsTableSet {
  std::vector<GoodsRecord>& goods;     // kGoodsCapacity rows
  std::vector<std::string>& majors;    // kMajorCapacity entries
  int& majorCount;
  std::vector<CategoryPair>& pairs;    // kGroupCapacity entries
  int& pairCount;
};

GoodsTableSet AllTables(TDM& dm);
GoodsTableSet TradedTables(TDM& dm);

// Builds a set from a reply holding `records` records RDC_0 ... in reply
// order (the service sorts them by category, so one category's records come
// together). The major limit is the set's major count before the build (99
// at the first load: at most 100 names); the records of further majors are
// not registered in the category lists (they are stored as products), and
// the message TooManyMajorsText says how many there were. Records from the
// 3001st on are not stored; the message TooManyGoodsText says how many.
// Pairs beyond the 1000 entries of the pair list are not stored. Stored major
// names are cut to 20 CP949 bytes, never inside a character. Returns the
// messages of the limits met, to be shown after the build, in order.
std::vector<std::string> BuildGoodsTables(const std::string& reply, long long records, GoodsTableSet set,
                                          LoadProgress* progress);

// "Error 대분류명이 100개 이상입니다." and "제품 갯수가 초과하였습니다.", each
// followed by the number of records the limit left out.
std::string TooManyMajorsText(long long leftOut);
std::string TooManyGoodsText(long long leftOut);

// All products (RequestGoods) into AllReply/AllCount/AllGoods/AllMajors/
// AllGroups. False when already loaded, on a refused read (message
// "전체 읽기 오류입니다\r\r다시 시도하십시요.", AllCount -1) and for an empty
// catalogue (AllCount 0, AllReply emptied); true when the tables were built.
bool LoadAllGoods(TDM& dm, const Seams& seams, LoadProgress* progress = nullptr);
// The same for the traded products (RequestUnitCosts) into the Traded... set.
bool LoadTradedGoods(TDM& dm, const Seams& seams, LoadProgress* progress = nullptr);

}  // namespace tarvik
