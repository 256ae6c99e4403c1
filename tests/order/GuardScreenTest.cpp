// The basket's guards on the main window: angle brackets, the journal, scans, a lost reply.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>

#include <ctime>

#include "order/BasketJournal.h"
#include "tests/mainwindow/MainFixture.h"
#include "tests/support/DroppingProxy.h"
#include "tests/support/Files.h"

namespace tarvik::test {
namespace {

class Guard : public MainWindowTest {
 protected:
  // A barcode scanner: the code's keys and Enter, 3 ms apart; what the scan leads to has run on return.
  static void Scan(QWidget* to, const std::string& code) {
    static unsigned long t = 10000000;
    t += 1000;
    auto key = [&](int k, const QString& text) {
      for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent e(type, k, Qt::NoModifier, text);
        e.setTimestamp(t);
        QApplication::sendEvent(to, &e);
      }
      t += 3;
    };
    for (char c : code) key(c, QString(QChar(c)));
    key(Qt::Key_Return, QStringLiteral("\r"));
    QApplication::processEvents();
  }
  const std::string folder = S(dir.path()) + "/baskets";
};

TEST_F(Guard, AngleBracketsNeverReachTheBasket) {
  TypeInBox("EdtNote", "a<b>c");
  EXPECT_EQ(main->Draft().Note, "ABC");  // as the box shows it, capitals included
  AddByHand("X<Y>", "E<A", "1");
  ASSERT_EQ(main->Draft().LineCount(), 1);
  EXPECT_EQ(main->Draft().Line(0).GoodsName + "/" + main->Draft().Line(0).GoodsBox, "XY/EA");
}

// Regression: a journal not removed after its order was sent (a read-only folder, a virus
// scanner) came back at the next log-in with Yes as the default; Enter, F7: a second order.
TEST_F(Guard, AJournalThatCouldNotBeRemovedNeverBecomesASecondOrder) {
  ShowMain(folder);
  AddTraded(0, "2");
  AddTraded(1, "3");
  const BasketJournal journal(folder, dm->MasterInfo.M_CODE, dm->CustomerInfo.C_CODE);
  const std::string written = ReadFile(journal.Path());
  // From here the journal cannot be written or removed: a folder in its place.
  QFile::remove(Q(journal.Path()));
  QDir().mkpath(Q(journal.Path() + "/x"));
  AddTraded(2, "1");
  AddTraded(3, "4");
  const long long before = Orders();
  Send();
  ASSERT_EQ(Orders(), before + 1);
  EXPECT_EQ(prompter.Texts().size(), 2u);  // sent, and the journal not removed
  main.reset();
  QDir(Q(journal.Path())).removeRecursively();
  WriteFile(journal.Path(), written);

  prompter.Clear();
  prompter.enterAtEveryQuestion = true;
  ShowMain(folder);
  ASSERT_EQ(prompter.prompts.size(), 1u);
  EXPECT_EQ(prompter.Last().rfind("저장되어 있던 발주 내용의 제품이 모두 이미 전송된 발주에 들어 있습니다.", 0), 0u);
  Send();
  EXPECT_EQ(Orders(), before + 1);
  EXPECT_FALSE(journal.Exists());
}

// Regression: a scan typed its code where the focus was (a quantity, a date), its Enter
// confirmed the dialog, and a scan onto a message box or half-typed search was lost.
TEST_F(Guard, AScanGoesIntoTheBasketOrIsNamedWhereverTheFocusIs) {
  const GoodsRecord g = dm->Catalogue.TradedGoods[3];
  ASSERT_FALSE(g.G_BCODE.empty());
  // The main screen takes it, onto half-typed search text and from the date box.
  Key(Qt::Key_F2);
  Type(QStringLiteral("피스"));
  Scan(Focus(), g.G_BCODE);
  EXPECT_TRUE(Find<QLineEdit>("EdtGN")->text().isEmpty());
  script.Then([&](QDialog& d) {
    Scan(d.focusWidget(), g.G_BCODE);  // the calendar in front
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
  });
  Key(Qt::Key_D, Qt::ControlModifier);
  ASSERT_EQ(Focus(), Find<QLineEdit>("EdtDD"));
  Scan(Focus(), g.G_BCODE);
  EXPECT_EQ(Lines(), Texts{g.G_CODE + " 2"});
  EXPECT_TRUE(main->Draft().DeliveryDate.empty());

  // The quantity dialogs in front stay as they were.
  auto inFront = [&](QDialog& d) {
    const QString qty = Field(d, "CEdtCnt")->text();
    Scan(d.focusWidget(), g.G_BCODE);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Field(d, "CEdtCnt")->text(), qty);
    QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
  };
  Key(Qt::Key_F2);
  for (int i = 0; i < 6; ++i) Key(Qt::Key_Down);
  script.Then(inFront);
  Key(Qt::Key_Return);
  Key(Qt::Key_B, Qt::ControlModifier);
  script.Then(inFront);
  Key(Qt::Key_Return);
  // And a message box.
  QMessageBox box(QMessageBox::Information, Q(kAppTitle), QStringLiteral("발주 내용을 전송하였습니다."),
                  QMessageBox::Ok, main.get());
  box.show();
  QApplication::processEvents();
  Scan(box.focusWidget() ? box.focusWidget() : &box, g.G_BCODE);
  EXPECT_TRUE(box.isVisible());

  EXPECT_EQ(Lines(), Texts{g.G_CODE + " 2"});
  const std::string named = "스캔한 바코드: " + g.G_BCODE +
                            "\r\r열려 있는 창이 있어 발주에 넣지 않았습니다.\r\r창을 닫은 뒤 다시 스캔하십시요.";
  EXPECT_EQ(prompter.Texts(), Texts(4, named));
}

// A proxy loses a stored order's reply; the service and its database in UTC, the PC in Seoul.
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
    seams.service.server = ParseServerAddress(proxy->Address());
  }
  void TearDown() override {
    proxy.reset();
    MainWindowTest::TearDown();
  }
  std::unique_ptr<DroppingProxy> proxy;
};

TEST_F(SafeSend, ALostReplyIsFoundOnTheNextSendWhateverTheClocksAndTheOrderIsStoredOnce) {
  const long long before = Orders();
  AddTraded(0, "2");
  AddTraded(1, "3");
  TypeInBox("EdtDD", "240301");
  TypeInBox("EdtNote", "LOST REPLY");

  ASSERT_EQ(QDateTime::currentDateTime().offsetFromUtc(), 9 * 3600);  // the PC in Seoul
  seams.clock = [] { return QDateTime::currentDateTime().addSecs(3600); };  // an hour fast
  proxy->DropNextReplies(1);
  Send();
  EXPECT_EQ(proxy->Dropped(), 1);
  EXPECT_EQ(prompter.Texts(), Texts{kUnsureSendMessage});
  ASSERT_EQ(Orders(), before + 1);  // the service has it; the clerk was not told so
  const std::string stored = Newest();
  EXPECT_EQ(main->Draft().LineCount(), 2);

  prompter.answers = {true};
  Send();
  ASSERT_EQ(prompter.prompts.size(), 1u);
  const std::string q = prompter.prompts[0].text;  // the whole text is the desk test's
  EXPECT_EQ(q.substr(0, q.find("발주일")), "조금 전에 전송한 발주가 이미 접수되어 있습니다.\r\r");
  EXPECT_EQ(Orders(), before + 1);
  EXPECT_EQ(main->Draft().OpenedCode + std::to_string(main->Draft().SendCount), stored + "1");
  EXPECT_EQ(S(Find<QLineEdit>("EdtNote")->text()), "LOST REPLY");  // the supplier's message then: the desk test's
  EXPECT_TRUE(main->Draft().Unsure.Empty());
  // Regression: the status line's right end was cut to "인된 발주 26/12/07 16:38 …".
  const auto* state = Find<QLabel>("LblBasketState");
  EXPECT_EQ(S(state->text()).rfind("접수 확인된 발주 ", 0), 0u);
  EXPECT_EQ(state->text(), state->toolTip());
}

}  // namespace
}  // namespace tarvik::test
