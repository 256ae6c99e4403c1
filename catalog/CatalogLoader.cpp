#include "catalog/CatalogLoader.h"

#include <algorithm>
#include <optional>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "platform/Prompter.h"
#include "screens/CellFormat.h"
#include "session/Seams.h"
#include "session/Session.h"

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

// The ten fields of a product record, in the order of the targets below.
const RecordFields& ProductFields() {
  static const RecordFields fields({"G_CODE", "G_NAME", "G_BOX", "G_BCODE", "G_BCNT", "G_GPN1", "G_GPN2",
                                    "U_DATE", "U_COST", "U_CNT"});
  return fields;
}

using Request = PostOutcome (*)(const ServiceLink&, const std::string&, const std::string&);

bool LoadSet(TDM& dm, const Seams& seams, std::string& reply, long long& count, GoodsTableSet set,
             Request request, const std::string& elements, LoadProgress* progress) {
  if (!reply.empty()) return false;
  reply = request(seams.service, dm.MasterInfo.M_CODE, elements).reply;
  if (!ReplySucceeded(reply)) {
    seams.prompter.Show(kReadError);
    count = -1;
    return false;
  }
  count = TagInt("RESULT_RECORD_COUNT", reply);
  if (count == 0) {
    reply.clear();
    return false;
  }
  // One message per limit, after the build: a box per record made a clerk
  // press OK hundreds of times before the main screen came up.
  for (const std::string& message : BuildGoodsTables(reply, count, set, progress)) seams.prompter.Show(message);
  return true;
}

}  // namespace

std::string TooManyMajorsText(long long leftOut) {
  return std::string(kTooManyMajors) + "\r\r대분류에 등록되지 않은 제품: " +
         FormatGrouped(static_cast<double>(leftOut), 0) + "개";
}

std::string TooManyGoodsText(long long leftOut) {
  return std::string(kTooManyGoods) + "\r\r3000개를 넘어 읽지 않은 제품: " +
         FormatGrouped(static_cast<double>(leftOut), 0) + "개";
}

GoodsTableSet AllTables(TDM& dm) {
  CatalogueTables& t = dm.Catalogue;
  return {t.AllGoods, t.AllMajors, t.AllMajorCount, t.AllGroups, t.AllGroupCount};
}

GoodsTableSet TradedTables(TDM& dm) {
  CatalogueTables& t = dm.Catalogue;
  return {t.TradedGoods, t.TradedMajors, t.TradedMajorCount, t.TradedGroups, t.TradedGroupCount};
}

std::vector<std::string> BuildGoodsTables(const std::string& reply, long long records, GoodsTableSet set,
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
  long long majorsLeftOut = 0, goodsLeftOut = 0;
  std::optional<std::string> lastMajor, lastMinor;  // nothing open before the first record
  const auto addPair = [&](const std::string& major, const std::string& minor) {
    if (pairsUsed < pairCap) set.pairs[pairsUsed++] = {major, minor};
  };

  // A count larger than the records present would otherwise keep the loop
  // (and one message per missing record) going for as long as it claims.
  const long long present = records > goodsCap ? RecordClosesIn(reply) : records;
  const long long walk = records > goodsCap ? std::min(records, std::max(goodsCap, present)) : records;

  if (progress) progress->Begin(records);
  std::vector<std::string> values;
  const ReplyReader reader(reply);
  for (long long i = 0; i < walk; ++i) {
    if (progress) progress->Step(i);
    ProductFields().Read(reader.Record(static_cast<std::size_t>(i)), values);
    const std::string& gpn1 = values[5];
    const std::string& gpn2 = values[6];

    if (!lastMajor || gpn1 != *lastMajor) {
      if (majorsUsed <= majorLimit) {
        set.majors[majorsUsed++] = FitField(gpn1, kMajorNameBytes);
        lastMajor = gpn1;
        addPair(gpn1, gpn2);
        lastMinor = gpn2;
      } else {
        ++majorsLeftOut;
      }
    } else if (!lastMinor || gpn2 != *lastMinor) {
      addPair(gpn1, gpn2);
      lastMinor = gpn2;
    }

    if (i >= goodsCap) {
      ++goodsLeftOut;
      continue;
    }
    GoodsRecord& g = set.goods[i];
    std::string* const targets[] = {&g.G_CODE, &g.G_NAME, &g.G_BOX, &g.G_BCODE, &g.G_BCNT,
                                    &g.G_GPN1, &g.G_GPN2, &g.U_DATE, &g.U_COST, &g.U_CNT};
    for (std::size_t f = 0; f < values.size(); ++f) *targets[f] = std::move(values[f]);
    g.RowNo = static_cast<int>(i);
  }
  set.majorCount = majorsUsed;
  set.pairCount = pairsUsed;
  if (progress) progress->End();
  std::vector<std::string> messages;
  if (majorsLeftOut > 0) messages.push_back(TooManyMajorsText(majorsLeftOut));
  if (goodsLeftOut > 0) messages.push_back(TooManyGoodsText(goodsLeftOut));
  return messages;
}

bool LoadAllGoods(TDM& dm, const Seams& seams, LoadProgress* progress) {
  const std::string elements = MakeTag("C_CODE", dm.CustomerInfo.C_CODE) + MakeTag("LIKE_FIELD", "G_NAME") +
                               MakeTag("LIKE_KEY", "%") + MakeTag("ORDERBY", kOrderBy);
  CatalogueTables& t = dm.Catalogue;
  return LoadSet(dm, seams, t.AllReply, t.AllCount, AllTables(dm), &RequestGoods, elements, progress);
}

bool LoadTradedGoods(TDM& dm, const Seams& seams, LoadProgress* progress) {
  const std::string elements = MakeTag("SAME_FIELD", "U_CC") + MakeTag("SAME_KEY", dm.CustomerInfo.C_CODE) +
                               MakeTag("ORDERBY", kOrderBy);
  CatalogueTables& t = dm.Catalogue;
  return LoadSet(dm, seams, t.TradedReply, t.TradedCount, TradedTables(dm), &RequestUnitCosts, elements, progress);
}

}  // namespace tarvik
