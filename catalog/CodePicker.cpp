#include "catalog/CodePicker.h"

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "platform/BusyCursor.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

const CodeListKind kCarMakeList = {"FrmMakeS", &RequestCarMakes, "CM_CODE", "CM_NAME", "CM_CODE ASC",
                                   "차    종"};
const CodeListKind kCarGroupList = {"FrmGroupS", &RequestCarGroups, "CG_CODE", "CG_NAME", "CG_CODE ASC",
                                    "부품명"};

std::string CodeListElements(const CodeListKind& kind) {
  return MakeTag("LIKE_FIELD", kind.nameField) + MakeTag("LIKE_KEY", "%") + MakeTag("ORDERBY", kind.order);
}

CodePicker::CodePicker(TDM& dm, const Seams& seams, const CodeListKind& kind)
    : dm_(dm), seams_(seams), kind_(kind), source_({kind.codeField, kind.nameField}) {
  list_.SetRowSource(&source_);
}

ReplyRecordSource::Load CodePicker::Load() {
  if (loaded_) return load_;
  loaded_ = true;
  std::string reply;
  {
    BusyCursor busy;
    reply = kind_.request(seams_.service, dm_.MasterInfo.M_CODE, CodeListElements(kind_)).reply;
  }
  load_ = source_.TakeReply(std::move(reply));
  if (load_ == ReplyRecordSource::Load::ReadError)
    seams_.prompter.Show("자료 읽기 오류입니다\r\r인터넷을 확인하시고 다시 시도하십시요.");
  if (load_ == ReplyRecordSource::Load::Records) list_.FillPage(0, 0);
  list_.Select(0);
  return load_;
}

std::string CodePicker::CountText() {
  if (list_.Selected() != countRow_) {
    countRow_ = list_.Selected();
    countText_ = std::to_string(countRow_);
  }
  return countText_;
}

bool CodePicker::Confirm() {
  const int row = list_.Selected();
  CodeAndName entry{TrimRightBlanks(list_.Cell(row, 0)), TrimRightBlanks(list_.Cell(row, 1))};
  if (entry.code.empty()) {
    Cancel();
    return false;
  }
  chosen_ = std::move(entry);
  return true;
}

}  // namespace tarvik
