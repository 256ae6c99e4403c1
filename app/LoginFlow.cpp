#include "app/LoginFlow.h"

#include "catalog/CatalogLoader.h"
#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {

const char* const kLoginReadError = "읽기 오류입니다\r\r인터넷 사용가능 여부를 확인하십시요.";
const char* const kUnknownSupplier = "등록된 거래처 아이디가 아닙니다.\r\r아이디를 확인하십시요.";
const char* const kSupplierClosed = "발주를 받을수 없는 거래처 아이디입니다.\r\r아이디를 확인하십시요.";
const char* const kUnknownOrderer =
    "등록된 발주자 아이디가 아닙니다.\r\r아이디를 확인하십시요.\r\r아니면 등록을 요청하십시요.";
const char* const kWrongPassword = "발주자 비밀번호가 틀립니다.";
const char* const kUnsupportedSupplier =
    "이 프로그램에서 지원하지 않는 거래처 시스템입니다.\r\r거래처에 문의하십시요.";

std::string WelcomeText(const std::string& ordererName) {
  return ordererName + "  발주자님" + "\r\r" + "TarvikⅢ" + "\r\r" + "발주시스템에 오신것을 환영합니다." +
         "\r\r" + "다음 화면에서 사용할 비밀번호를 먼저 등록해주십시요.";
}

std::string LoginFlow::CleanId(const std::string& field) {
  std::string id;
  for (char c : field) {
    if (c != '-') id += c;
  }
  return TrimBlanks(id);
}

LoginOutcome LoginFlow::Login(const std::string& midField, const std::string& cidField,
                              const std::string& password) {
  if (!CheckSupplier(CleanId(midField))) return LoginOutcome::Failed;
  const LoginOutcome orderer = CheckOrderer(CleanId(cidField), password);
  if (orderer != LoginOutcome::Done) return orderer;
  dm_.WriteUserIni(midField, cidField);  // only when user.ini exists
  // Their failures show their own messages and do not stop the log-in.
  LoadAllGoods(dm_, seams_, port_.Progress());
  LoadTradedGoods(dm_, seams_, port_.Progress());
  return LoginOutcome::Done;
}

bool LoginFlow::CheckSupplier(const std::string& supplierId) {
  const std::string reply =
      RequestMember(seams_.service, MakeTag("SAME_FIELD", "M_ID") + MakeTag("SAME_KEY", supplierId)).reply;
  if (!ReplySucceeded(reply)) {
    port_.Message(kLoginReadError);
    return false;
  }
  if (TagInt("RESULT_RECORD_COUNT", reply) == 0) {
    port_.Message(kUnknownSupplier);
    return false;
  }
  const std::string record = TagValue("RDC_0", reply);
  MasterInfoRec& m = dm_.MasterInfo;
  m.M_CODE = FitField(TagValue("M_CODE", record), MasterInfoRec::kCode);
  m.M_MGU = FitField(TagValue("M_MGU", record), MasterInfoRec::kMgu);
  m.M_DBTYPE = FitField(TagValue("M_DBTYPE", record), MasterInfoRec::kDbType);
  m.M_BIGO = FitField(TagValue("M_BIGO", record), MasterInfoRec::kBigo);
  m.M_ID = FitField(supplierId, MasterInfoRec::kId);
  if (m.M_MGU != "1") {
    port_.Message(kSupplierClosed);
    return false;
  }
  return true;
}

LoginOutcome LoginFlow::CheckOrderer(const std::string& ordererId, const std::string& password) {
  MasterInfoRec& m = dm_.MasterInfo;
  // Such a supplier never logs in; without a word the clerk would keep
  // retyping IDs that are right.
  if (m.M_DBTYPE != "1") {
    port_.Message(kUnsupportedSupplier);
    return LoginOutcome::Failed;
  }
  const std::string reply =
      RequestCustomer(seams_.service, m.M_CODE, MakeTag("SAME_FIELD", "C_ID") + MakeTag("SAME_KEY", ordererId))
          .reply;
  if (!ReplySucceeded(reply)) {
    port_.Message(kLoginReadError);
    return LoginOutcome::Failed;
  }
  if (TagInt("RESULT_RECORD_COUNT", reply) == 0) {
    port_.Message(kUnknownOrderer);
    return LoginOutcome::Failed;
  }
  const std::string record = TagValue("RDC_0", reply);
  CustomerInfoRec& c = dm_.CustomerInfo;
  c.C_ID = FitField(ordererId, CustomerInfoRec::kId);
  c.C_CODE = FitField(TagValue("C_CODE", record), CustomerInfoRec::kCode);
  c.C_NAME = FitField(TagValue("C_NAME", record), CustomerInfoRec::kName);
  c.C_SS = FitField(TagValue("C_SS", record), CustomerInfoRec::kSs);
  c.C_GU = FitField(TagValue("C_GU", record), CustomerInfoRec::kGu);
  c.C_MSG = TagValue("C_MSG", record);
  if (password != c.C_SS) {
    port_.Message(kWrongPassword);
    return LoginOutcome::WrongPassword;
  }
  if (c.C_SS.empty()) {
    port_.Message(WelcomeText(c.C_NAME));
    if (!port_.RunPasswordChange()) return LoginOutcome::Failed;
  }
  return LoginOutcome::Done;
}

}  // namespace tarvik
