#include "catalog/CatalogLoader.h"

#include <algorithm>
#include <optional>

#include "app/UDM.h"
#include "net/HC.h"
#include "net/MessageFormat.h"
#include "platform/Prompter.h"

namespace tarvik {
namespace {

const char* const kReadError = "전체 읽기 오류입니다\r\r다시 시도하십시요.";
const char* const kTooManyMajors = "Error 대분류명이 100개 이상입니다.";
const char* const kTooManyGoods = "제품 갯수가 초과하였습니다.";
const char* const kOrderBy = "G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC";

// Number of record closes in the reply: a record that is there has one.
long long RecordClosesIn(const std::string& reply) {
  long long n = 0;
  for (auto p = reply.find("</RDC_"); p != std::string::npos; p = reply.find("</RDC_", p + 6)) ++n;
  return n;
}

using Request = std::string (*)(const std::string&, const std::string&);

bool LoadSet(TDM& dm, std::string& reply, long long& count, GoodsTableSet set, Request request,
             const std::string& elements, LoadProgress* progress) {
  if (!reply.empty()) return false;
  reply = request(dm.MasterInfo.M_CODE, elements);
  if (TagValue("RESULT_CODE", reply) != "1") {
    ShowMessage(kReadError);
    count = -1;
    return false;
  }
  count = TagInt("RESULT_RECORD_COUNT", reply);
  if (count == 0) {
    reply.clear();
    return false;
  }
  BuildGoodsTables(reply, count, set, progress);
  return true;
}

}  // namespace

GoodsTableSet AllTables(TDM& dm) {
  return {dm.AllGoods, dm.AllMajors, dm.AllMajorCount, dm.AllGroups, dm.AllGroupCount};
}

GoodsTableSet TradedTables(TDM& dm) {
  return {dm.TradedGoods, dm.TradedMajors, dm.TradedMajorCount, dm.TradedGroups, dm.TradedGroupCount};
}

void BuildGoodsTables(const std::string& reply, long long records, GoodsTableSet set,
                      LoadProgress* progress) {
  const long long goodsCap = static_cast<long long>(set.goods.size());
  const int majorCap = static_cast<int>(set.majors.size());
  const int pairCap = static_cast<int>(set.pairs.size());
  const int majorLimit = std::clamp(set.majorCount, -1, majorCap - 1);

  for (int i = 0; i <= std::min(set.majorCount, majorCap - 1); ++i) set.majors[i].clear();
  for (int i = 0; i <= std::min(set.pairCount, pairCap - 1); ++i) set.pairs[i] = CategoryPair();
  for (long long i = 0; i < std::min(records, goodsCap); ++i) set.goods[i].Clear();

  int majorsUsed = 0;
  int pairsUsed = 0;
  std::optional<std::string> lastMajor, lastMinor;  // nothing open before the first record
  const auto addPair = [&](const std::string& major, const std::string& minor) {
    if (pairsUsed < pairCap) set.pairs[pairsUsed++] = {major, minor};
  };

  // A count larger than the records present would otherwise keep the loop
  // (and one message per missing record) going for as long as it claims.
  const long long present = records > goodsCap ? RecordClosesIn(reply) : records;
  const long long walk = records > goodsCap ? std::min(records, std::max(goodsCap, present)) : records;

  if (progress) progress->Begin(records);
  const ReplyReader reader(reply);
  for (long long i = 0; i < walk; ++i) {
    if (progress) progress->Step(i);
    const std::string record = reader.Record(static_cast<std::size_t>(i));
    const std::string gpn1 = TagValue("G_GPN1", record);
    const std::string gpn2 = TagValue("G_GPN2", record);

    if (!lastMajor || gpn1 != *lastMajor) {
      if (majorsUsed <= majorLimit) {
        set.majors[majorsUsed++] = FitField(gpn1, kMajorNameBytes);
        lastMajor = gpn1;
        addPair(gpn1, gpn2);
        lastMinor = gpn2;
      } else {
        ShowMessage(kTooManyMajors);
      }
    } else if (!lastMinor || gpn2 != *lastMinor) {
      addPair(gpn1, gpn2);
      lastMinor = gpn2;
    }

    if (i >= goodsCap) {
      ShowMessage(kTooManyGoods);
      continue;
    }
    GoodsRecord& g = set.goods[i];
    g.G_CODE = TagValue("G_CODE", record);
    g.G_NAME = TagValue("G_NAME", record);
    g.G_BOX = TagValue("G_BOX", record);
    g.G_BCODE = TagValue("G_BCODE", record);
    g.G_BCNT = TagValue("G_BCNT", record);
    g.G_GPN1 = gpn1;
    g.G_GPN2 = gpn2;
    g.U_DATE = TagValue("U_DATE", record);
    g.U_COST = TagValue("U_COST", record);
    g.U_CNT = TagValue("U_CNT", record);
    g.RowNo = static_cast<int>(i);
  }
  set.majorCount = majorsUsed;
  set.pairCount = pairsUsed;
  if (progress) progress->End();
}

bool LoadAllGoods(TDM& dm, LoadProgress* progress) {
  const std::string elements = MakeTag("C_CODE", dm.CustomerInfo.C_CODE) + MakeTag("LIKE_FIELD", "G_NAME") +
                               MakeTag("LIKE_KEY", "%") + MakeTag("ORDERBY", kOrderBy);
  return LoadSet(dm, dm.AllReply, dm.AllCount, AllTables(dm), &RequestGoods, elements, progress);
}

bool LoadTradedGoods(TDM& dm, LoadProgress* progress) {
  const std::string elements = MakeTag("SAME_FIELD", "U_CC") + MakeTag("SAME_KEY", dm.CustomerInfo.C_CODE) +
                               MakeTag("ORDERBY", kOrderBy);
  return LoadSet(dm, dm.TradedReply, dm.TradedCount, TradedTables(dm), &RequestUnitCosts, elements,
                 progress);
}

}  // namespace tarvik
