// Sending from the main window through a proxy that loses the reply of an
// order the service stored: the next F7 finds that order instead of storing
// it twice. Against the reference service, keys as a clerk presses them;
// the service, and so its database's clock, in UTC and the PC in Seoul.
#include <ctime>
#include <sstream>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "order/OrderWire.h"
#include "tests/catalog/MainFixture.h"
#include "tests/support/DroppingProxy.h"
#include "tests/support/LoopbackServer.h"

namespace tarvik::test {
namespace {

const char kSent[] = "발주 내용을 전송하였습니다.\r\r[발주열기]를 클릭하여 내용을 학인하십시요.";
const char kFailed[] = "발주 전송 실패입니다.\r\r인터넷 연결을 확인하십시요.";

class SafeSend : public MainWindowTest {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    MainWindowTest::SetUpTestSuite();
    setenv("TZ", "Asia/Seoul", 1);
    tzset();
  }
  static void TearDownTestSuite() {
    MainWindowTest::TearDownTestSuite();
    unsetenv("TZ");
    tzset();
  }
  void SetUp() override {
    MainWindowTest::SetUp();
    proxy = std::make_unique<DroppingProxy>(service_->Port());
    setenv("TARVIK_SERVER", proxy->Address().c_str(), 1);
  }
  void TearDown() override {
    setenv("TARVIK_SERVER", service_->Address().c_str(), 1);
    proxy.reset();
    MainWindowTest::TearDown();
  }
  // Straight to the service, past the proxy.
  std::string ListOf() {
    setenv("TARVIK_SERVER", service_->Address().c_str(), 1);
    const std::string r = RequestOrderList(dm->MasterInfo.M_CODE, OrderListBody(dm->CustomerInfo.C_CODE, false));
    setenv("TARVIK_SERVER", proxy->Address().c_str(), 1);
    return r;
  }
  long long Count() { return TagInt("RESULT_RECORD_COUNT", ListOf()); }
  std::string Newest() { return TagValue("OH_CODE", TagValue("RDC_0", ListOf())); }
  // The kinds of the messages left for the supplier, in order.
  std::string MessageKinds() {
    std::string out, line, kinds;
    EXPECT_EQ(service_->Admin({"messages"}, &out), 0);
    std::istringstream in(out);
    while (std::getline(in, line)) {
      std::istringstream cells(line);
      std::string c;
      for (int i = 0; i < 4 && std::getline(cells, c, '\t'); ++i) {
      }
      kinds += c;
    }
    return kinds;
  }
  void Send() {
    prompter.Clear();
    Key(Qt::Key_F7);
  }

  std::unique_ptr<DroppingProxy> proxy;
};

TEST_F(SafeSend, ALostReplyIsFoundOnTheNextSendWhateverTheClocksAndTheOrderIsStoredOnce) {
  const long long before = Count();
  const std::string kinds = MessageKinds();
  AddTraded(0, "2");
  AddTraded(1, "3");
  Find<QLineEdit>("EdtDD")->setFocus();
  Type("240301");
  Find<QLineEdit>("EdtNote")->setFocus();
  Type("LOST REPLY");

  ASSERT_EQ(QDateTime::currentDateTime().offsetFromUtc(), 9 * 3600);  // the PC in Seoul
  main->Desk().SetClock([] { return QDateTime::currentDateTime().addSecs(3600); });  // an hour fast
  proxy->DropNextReplies(1);
  Send();
  EXPECT_EQ(proxy->Dropped(), 1);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kUnsureSendMessage});
  ASSERT_EQ(Count(), before + 1);  // the service has it; the clerk was not told so
  const std::string stored = Newest();
  EXPECT_EQ(main->Draft().LineCount(), 2);
  EXPECT_EQ(MessageKinds(), kinds);  // no message to the supplier yet

  prompter.answers = {true};
  Send();
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_TRUE(prompter.prompts[0].question);
  EXPECT_EQ(prompter.prompts[0].text.rfind("조금 전에 전송한 발주가 이미 접수되어 있습니다.\r\r발주일: ", 0), 0u);
  EXPECT_NE(prompter.prompts[0].text.find("   제품 2개\r\r다시 전송하지 않고 접수된 발주를 여시겠습니까?"),
            std::string::npos);
  EXPECT_EQ(Count(), before + 1);
  EXPECT_EQ(main->Draft().OpenedCode, stored);
  EXPECT_EQ(main->Draft().SendCount, 1);
  EXPECT_EQ(S(Find<QLineEdit>("EdtNote")->text()), "LOST REPLY");
  EXPECT_EQ(MessageKinds(), kinds + "O");
  EXPECT_TRUE(main->Draft().Unsure.Empty());
}

TEST_F(SafeSend, ARefusedConnectionFollowedByAGoodSendStoresOneOrder) {
  const long long before = Count();
  AddTraded(2, "1");
  const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort());
  setenv("TARVIK_SERVER", refused.c_str(), 1);
  Send();
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kFailed});
  EXPECT_TRUE(main->Draft().Unsure.Empty());
  setenv("TARVIK_SERVER", proxy->Address().c_str(), 1);
  Send();  // no question: nothing can have been stored
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{kSent});
  EXPECT_EQ(Count(), before + 1);
  EXPECT_EQ(proxy->Forwarded(), 2);  // the save and its message
}

}  // namespace
}  // namespace tarvik::test
