// Sending from the main window through a proxy that loses the reply of an
// order the service stored: the next F7 finds that order instead of storing
// it twice. Against the reference service, keys as a clerk presses them;
// the service, and so its database's clock, in UTC and the PC in Seoul.
#include <ctime>

#include "tests/catalog/MainFixture.h"
#include "tests/support/DroppingProxy.h"
#include "tests/support/LoopbackServer.h"

namespace tarvik::test {
namespace {

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
  // The kinds of the messages left for the supplier, in order.
  std::string MessageKinds() {
    std::string kinds;
    for (const Texts& m : Messages()) kinds += m.size() > 3 ? m[3] : "";
    return kinds;
  }

  std::unique_ptr<DroppingProxy> proxy;
};

TEST_F(SafeSend, ALostReplyIsFoundOnTheNextSendWhateverTheClocksAndTheOrderIsStoredOnce) {
  const long long before = Orders();
  const std::string kinds = MessageKinds();
  AddTraded(0, "2");
  AddTraded(1, "3");
  TypeInBox("EdtDD", "240301");
  TypeInBox("EdtNote", "LOST REPLY");

  ASSERT_EQ(QDateTime::currentDateTime().offsetFromUtc(), 9 * 3600);  // the PC in Seoul
  main->Desk().SetClock([] { return QDateTime::currentDateTime().addSecs(3600); });  // an hour fast
  proxy->DropNextReplies(1);
  Send();
  EXPECT_EQ(proxy->Dropped(), 1);
  EXPECT_EQ(prompter.Texts(), Texts{kUnsureSendMessage});
  ASSERT_EQ(Orders(), before + 1);  // the service has it; the clerk was not told so
  const std::string stored = Newest();
  EXPECT_EQ(main->Draft().LineCount(), 2);
  EXPECT_EQ(MessageKinds(), kinds);  // no message to the supplier yet

  prompter.answers = {true};
  Send();
  ASSERT_EQ(prompter.prompts.size(), 1u);
  const std::string q = prompter.prompts[0].text;  // the whole text is the desk test's
  EXPECT_EQ(q.substr(0, q.find("발주일")), "조금 전에 전송한 발주가 이미 접수되어 있습니다.\r\r");
  EXPECT_EQ(Orders(), before + 1);
  EXPECT_EQ(main->Draft().OpenedCode + std::to_string(main->Draft().SendCount), stored + "1");
  EXPECT_EQ(S(Find<QLineEdit>("EdtNote")->text()), "LOST REPLY");
  EXPECT_EQ(MessageKinds(), kinds + "O");
  EXPECT_TRUE(main->Draft().Unsure.Empty());
}

TEST_F(SafeSend, ARefusedConnectionFollowedByAGoodSendStoresOneOrder) {
  const long long before = Orders();
  AddTraded(2, "1");
  const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort());
  setenv("TARVIK_SERVER", refused.c_str(), 1);
  Send();
  EXPECT_EQ(prompter.Texts(), Texts{kSendFailed});
  EXPECT_TRUE(main->Draft().Unsure.Empty());
  setenv("TARVIK_SERVER", proxy->Address().c_str(), 1);
  Send();  // no question: nothing can have been stored
  EXPECT_EQ(prompter.Texts(), Texts{kSent});
  EXPECT_EQ(Orders(), before + 1);
  EXPECT_EQ(proxy->Forwarded(), 2);  // the save and its message
}

}  // namespace
}  // namespace tarvik::test
