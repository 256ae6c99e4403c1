#include "catalog/CarPartSearch.h"

#include <vector>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "platform/BusyCursor.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

namespace {

const char* const kReadError = "자료 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요.";
const char* const kProductReadError =
    "제품 자료 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요.";

// The CP949 bytes of name, each marked whether a blank stands there.
std::vector<bool> BlankBytes(const std::string& name) {
  std::vector<bool> blanks;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t end = NextCharEnd(name, i);
    const std::string ch = name.substr(i, end - i);
    const std::u32string cp = DecodeUtf8(ch);
    const std::size_t width = cp.empty() ? 1 : Cp949Width(cp[0]);
    for (std::size_t b = 0; b < width; ++b) blanks.push_back(width == 1 && ch == " ");
    i = end;
  }
  return blanks;
}

}  // namespace

std::string CutNameSuffix(const std::string& name) {
  const std::vector<bool> blanks = BlankBytes(name);
  const std::size_t l = blanks.size();
  if (l <= 13) return name;
  // Byte p (from 1) is blanks[p - 1].
  if (!blanks[l - 12] || !blanks[l - 8] || !blanks[l - 4]) return name;
  return CutCp949(name, l - 7);
}

std::string PartSearchElements(PartSearchKind kind, const std::string& groupCode,
                               const std::string& makeCode, const std::string& word) {
  std::string e = MakeTag("SAME_FIELD", "CPN_GROUP") + MakeTag("SAME_KEY", groupCode) +
                  MakeTag("SAME_FIELD", "CPN_MAKE") + MakeTag("SAME_KEY", makeCode);
  if (kind == PartSearchKind::Model) {
    e += MakeTag("LIKE_FIELD", "CPN_NAME") + MakeTag("LIKE_KEY", word + "%") +
         MakeTag("ORDERBY", "CPN_NAME ASC");
  } else {
    e += MakeTag("LIKE_FIELD", "CPN_BODY") + MakeTag("LIKE_KEY", "%" + word + "%") +
         MakeTag("ORDERBY", "CPN_BODY ASC");
  }
  return e;
}

CarPartSearch::CarPartSearch(TDM& dm, const Seams& seams, CarPartSearchPort& port)
    : dm_(dm),
      seams_(seams),
      port_(port),
      source_({"CPN_NAME", "CPN_TYPE", "CPN_POWER", "CPN_YEAR", "CPN_BODY", "CPN_GCODE"}) {
  list_.SetRowSource(&source_);
}

void CarPartSearch::MakePicked(const std::optional<CodeAndName>& chosen) {
  if (!chosen) return;
  Fields.MakeCode = chosen->code;
  Fields.MakeName = chosen->name;
}

void CarPartSearch::GroupPicked(const std::optional<CodeAndName>& chosen) {
  if (!chosen) return;
  Fields.GroupCode = chosen->code;
  Fields.GroupName = chosen->name;
}

CarPartSearch::Outcome CarPartSearch::Search(PartSearchKind kind) {
  // A name of blanks looks empty; it must not leave an unseen code in force.
  if (TrimRightBlanks(Fields.MakeName).empty()) Fields.MakeCode.clear();
  if (TrimRightBlanks(Fields.GroupName).empty()) Fields.GroupCode.clear();
  const std::string make = TrimRightBlanks(Fields.MakeCode);
  const std::string group = TrimRightBlanks(Fields.GroupCode);
  const std::string word = TrimRightBlanks(kind == PartSearchKind::Model ? Fields.Model : Fields.Body);
  const char* refusal = make.empty()    ? "차종을 먼저 선택해주십시요"
                        : group.empty() ? "부품을 먼저 선택해주십시요"
                        : word.empty()  ? "검색어를 입력해 주십시요."
                                        : nullptr;
  if (refusal) {
    seams_.prompter.Show(refusal);
    return Outcome::Refused;
  }
  std::string reply;
  {
    BusyCursor busy;
    reply = RequestCarPartNums(seams_.service, dm_.MasterInfo.M_CODE, PartSearchElements(kind, group, make, word))
                .reply;
  }
  const auto load = source_.TakeReply(std::move(reply));
  Outcome outcome = Outcome::Records;
  switch (load) {
    case ReplyRecordSource::Load::ReadError:
      seams_.prompter.Show(kReadError);
      outcome = Outcome::ReadError;
      break;
    case ReplyRecordSource::Load::NoRecords:
      outcome = Outcome::NoRecords;
      break;
    case ReplyRecordSource::Load::Records:
      list_.FillPage(0, 0);
      break;
  }
  list_.Select(0);
  return outcome;
}

CarPartSearch::AddOutcome CarPartSearch::AddSelectedProduct() {
  const int row = list_.Selected();
  if (TrimRightBlanks(list_.Cell(row, kPartName)).empty()) {
    seams_.prompter.Show("제품을 선택해 주십시요.");
    return AddOutcome::NoProduct;
  }
  const std::string code = list_.Cell(row, kPartGoodsCode);
  if (TrimRightBlanks(code).empty()) {
    seams_.prompter.Show("준비되지 않은 제품입니다.");
    return AddOutcome::NotReady;
  }
  // The lookup's reply stays here: the list keeps its own reply and count.
  std::string reply;
  {
    BusyCursor busy;
    reply = RequestGoodByCode(seams_.service, dm_.MasterInfo.M_CODE,
                              MakeTag("SAME_FIELD", "G_CODE") + MakeTag("SAME_KEY", code)).reply;
  }
  if (!ReplySucceeded(reply)) {
    seams_.prompter.Show(kProductReadError);
    return AddOutcome::ReadError;
  }
  OfferedProduct p;
  p.code = code;
  p.unitQty.clear();  // no record: the dialog shows no quantity per box
  if (TagInt("RESULT_RECORD_COUNT", reply) != 0) {
    const std::string record = TagValue("RDC_0", reply);
    p.name = CutNameSuffix(TagValue("G_NAME", record));
    p.box = TagValue("G_BOX", record);
    p.unitQty = TagValue("G_BCNT", record);
    if (p.unitQty.empty()) p.unitQty = "0";
  }
  const Offer offer = port_.OfferToBasket(p);
  if (offer == Offer::Cancelled) return AddOutcome::Cancelled;
  port_.BasketChanged();
  return offer == Offer::Added ? AddOutcome::Added : AddOutcome::NotAdded;
}

}  // namespace tarvik
