#include "catalog/CatalogLoader.h"

#include <algorithm>
#include <optional>

#include "net/HC.h"
#include "net/MessageFormat.h"
#include "platform/Prompter.h"
#include "session/UDM.h"

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

// The ten fields of a product record read in one walk over the record, each
// exactly as TagValue(name, record) gives it: the text between the first
// "<NAME>" and the first "</NAME>" (empty when either is missing or the close
// comes first). Ten searches from the start would compare every "<" of the
// record ten times over.
constexpr int kFieldCount = 10;
const char* const kFieldNames[kFieldCount] = {"G_CODE", "G_NAME", "G_BOX",  "G_BCODE", "G_BCNT",
                                              "G_GPN1", "G_GPN2", "U_DATE", "U_COST",  "U_CNT"};

bool NameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

int FieldIndex(const char* name, std::size_t len) {
  for (int f = 0; f < kFieldCount; ++f) {
    if (std::char_traits<char>::length(kFieldNames[f]) == len &&
        std::char_traits<char>::compare(kFieldNames[f], name, len) == 0) {
      return f;
    }
  }
  return -1;
}

void ReadProductFields(const std::string& record, std::string* out[kFieldCount]) {
  constexpr std::size_t kNone = std::string::npos;
  std::size_t valueStart[kFieldCount], closeAt[kFieldCount];
  std::fill(valueStart, valueStart + kFieldCount, kNone);
  std::fill(closeAt, closeAt + kFieldCount, kNone);
  const std::size_t n = record.size();
  for (std::size_t p = record.find('<'); p != kNone; p = record.find('<', p + 1)) {
    std::size_t k = p + 1;
    const bool closing = k < n && record[k] == '/';
    if (closing) ++k;
    const std::size_t nameAt = k;
    while (k < n && NameChar(record[k])) ++k;
    if (k >= n || record[k] != '>' || k == nameAt) continue;
    const int f = FieldIndex(record.data() + nameAt, k - nameAt);
    if (f < 0) continue;
    if (closing) {
      if (closeAt[f] == kNone) closeAt[f] = p;
    } else if (valueStart[f] == kNone) {
      valueStart[f] = k + 1;
    }
  }
  for (int f = 0; f < kFieldCount; ++f) {
    out[f]->clear();
    if (valueStart[f] != kNone && closeAt[f] != kNone && closeAt[f] >= valueStart[f]) {
      out[f]->assign(record, valueStart[f], closeAt[f] - valueStart[f]);
    }
  }
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
  GoodsRecord fields;
  std::string* targets[kFieldCount] = {&fields.G_CODE, &fields.G_NAME, &fields.G_BOX, &fields.G_BCODE,
                                     &fields.G_BCNT, &fields.G_GPN1, &fields.G_GPN2, &fields.U_DATE,
                                     &fields.U_COST, &fields.U_CNT};
  const std::string& gpn1 = fields.G_GPN1;
  const std::string& gpn2 = fields.G_GPN2;
  const ReplyReader reader(reply);
  for (long long i = 0; i < walk; ++i) {
    if (progress) progress->Step(i);
    const std::string record = reader.Record(static_cast<std::size_t>(i));
    ReadProductFields(record, targets);

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
    set.goods[i] = fields;
    set.goods[i].RowNo = static_cast<int>(i);
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
