#include "app/PasswordChange.h"

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "platform/Prompter.h"
#include "text/Text.h"
#include "session/Seams.h"
#include "session/Session.h"

namespace tarvik {

const char* const kPasswordMismatch = "변경할 비밀번호와 재입력 비밀번호가 일치하지 않습니다.";
const char* const kPasswordTooShort = "최소 비밀번호 길이는 4자리 이상입니다.";
const char* const kPasswordStoreError = "비밀번호 수정 오류입니다.";

bool PasswordChange::Register(const std::string& newField, const std::string& againField) {
  const std::string s = TrimBlanks(newField);
  const std::string v = TrimBlanks(againField);
  if (s.empty() || v.empty()) return false;
  if (s != v) {
    seams_.prompter.Show(kPasswordMismatch);
    return false;
  }
  if (DecodeUtf8(s).size() < 4) {
    seams_.prompter.Show(kPasswordTooShort);
    return false;
  }
  const std::string reply =
      RequestCustomerPassword(seams_.service, dm_.MasterInfo.M_CODE, dm_.CustomerInfo.C_CODE, MakeTag("C_SS", s))
          .reply;
  if (!ReplySucceeded(reply)) {
    seams_.prompter.Show(kPasswordStoreError);
    return false;
  }
  dm_.CustomerInfo.C_SS = FitField(s, CustomerInfoRec::kSs);
  return true;
}

}  // namespace tarvik
