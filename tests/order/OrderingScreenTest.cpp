// Ordering from the main window against the reference service, keys as a clerk presses them.
#include <QCheckBox>
#include <QLabel>

#include <map>

#include "tests/mainwindow/MainFixture.h"

namespace tarvik::test {
namespace {

const std::string kAdvice =
    "\r\r내용을 수정하여 저장해도 거래처에 다시 전송되지 않습니다.\r\r변경을 원할 경우 [복사]를 클릭하시여 "
    "다시 전송하십시요.\r\r신규로 전송됩니다.";

class Ordering : public MainWindowTest {
 protected:
  // The kind of the last message left for the supplier (its text is the desk test's).
  std::string LastKind() {
    const std::vector<Texts> all = Messages();
    if (all.empty() || all.back().size() < 8) return {};
    const Texts& f = all.back();
    EXPECT_EQ(f[1] + f[2] + f[4], dm->MasterInfo.M_CODE + dm->CustomerInfo.C_CODE + "W");
    return f[3];
  }
  const DraftLine& Line(int row) { return main->Draft().Line(row); }
};

TEST_F(Ordering, NewOrderIsSentAndReopenedWhole) {
  const GoodsRecord g0 = dm->Catalogue.TradedGoods[0], g1 = dm->Catalogue.TradedGoods[1];
  AddTraded(0, "3");
  AddTraded(1, "1200");
  AddByHand(QStringLiteral("수동 전구"), "ea", "10");
  TypeInBox("EdtDD", "240215");
  TypeInBox("EdtNote", QStringLiteral(" 빠른 배송 "));
  ASSERT_EQ(main->Draft().LineCount(), 3);
  Send();
  EXPECT_EQ(prompter.Texts(), Texts{kSent});
  EXPECT_FALSE(main->Draft().HasLines());
  EXPECT_TRUE(Find<QLineEdit>("EdtDD")->text().isEmpty());
  EXPECT_EQ(Focus(), Find<QLineEdit>("EdtGN"));

  // The bytes sent are the desk test's, what is stored the service's; here, it comes back whole.
  const std::string code = Newest();
  EXPECT_EQ(LastKind(), "O");

  // F3: the list, then the order in the basket.
  prompter.Clear();
  Open(code);
  EXPECT_EQ(script.opened.back(), "FrmOrderS");
  const OrderDraft& d = main->Draft();
  EXPECT_EQ(d.OpenedCode + d.OpenedStatus + std::to_string(d.SendCount), code + "A1");
  EXPECT_EQ(S(Find<QLineEdit>("EdtDD")->text() + Find<QLineEdit>("EdtNote")->text()), "240215빠른 배송");
  EXPECT_EQ(Lines(), (Texts{g0.G_CODE + " 3", g1.G_CODE + " 1200", "YZ 10"}));
  EXPECT_EQ(Line(0).GoodsName, g0.G_NAME);
  EXPECT_EQ(Line(2).GoodsName + Line(2).GoodsBox, "수동 전구EA");
  EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(Ordering, BeingWrittenIsStoredAsXAndBecomesAWhenSentWithoutTheFlag) {
  AddTraded(2, "5");
  Find<QCheckBox>("ChkBxIOG")->click();
  Send();
  EXPECT_EQ(prompter.Texts(), Texts{kSent});
  // Regression: the note was cut to "...거래처에서 아직 접수".
  const auto* note = Find<QLabel>("LblStatus");
  EXPECT_EQ(S(note->text()), "작성중으로 전송하였습니다: 거래처에서 아직 접수할 수 없습니다.");
  EXPECT_LE(note->fontMetrics().horizontalAdvance(note->text()), note->contentsRect().width());
  const std::string code = Newest();
  EXPECT_EQ(TagValue("OH_IOG", Head(code)), "X");

  Open(code);
  EXPECT_TRUE(Find<QCheckBox>("ChkBxIOG")->isChecked());
  EXPECT_EQ(main->Draft().OpenedStatus, "X");
  prompter.Clear();
  Key(Qt::Key_F7, Qt::ControlModifier);  // not a sample while being written
  EXPECT_EQ(prompter.Texts(), Texts{"작성중인 내용은 샘플등록을 할수 없습니다."});
  Find<QCheckBox>("ChkBxIOG")->click();
  Send();
  EXPECT_EQ(TagValue("OH_IOG", Head(code)), "A");
  EXPECT_EQ(TagValue("OH_MCOUNT", Head(code)), "2");
}

TEST_F(Ordering, OrdersTheSupplierHasMarkedAreRefusedButBecomeSamples) {
  AddTraded(3, "2");
  AddByHand(QStringLiteral("수동 와이퍼"), "set", "1");
  Send();
  const std::string code = Newest();
  const long long samplesBefore = Orders(true);

  Open(code);
  // Marked while opened: the service refuses the send, the clerk hears its reason, not a fault.
  ASSERT_EQ(service_->Admin({"mark", code, "I"}), 0);
  Send();
  EXPECT_EQ(prompter.Texts(), Texts{"거래처에서 발주가 접수중입니다." + kAdvice});
  EXPECT_EQ(main->Draft().LineCount(), 2);
  EXPECT_EQ(main->Draft().OpenedStatus, "I");
  EXPECT_EQ(TagValue("OH_MCOUNT", Head(code)), "1");

  prompter.Clear();
  prompter.answers = {true};  // the basket with lines is replaced
  Open(code);
  EXPECT_EQ(prompter.Last(), "거래처에서 발주가 접수중입니다." + kAdvice);
  Send();
  EXPECT_EQ(prompter.Last(), "접수중인 내용은 수정할수 없습니다.");
  Key(Qt::Key_F8);
  EXPECT_EQ(prompter.Last(), "접수중인 내용은 삭제할수 없습니다.");

  ASSERT_EQ(service_->Admin({"mark", code, "O"}), 0);
  prompter.Clear();
  prompter.answers = {true};
  Open(code);
  const OrderDraft& opened = main->Draft();
  EXPECT_EQ(S(Find<QLabel>("LblBasketState")->text()),
            "발주 " + opened.OpenedDate.substr(0, 2) + "/" + opened.OpenedDate.substr(2, 2) + "/" +
                opened.OpenedDate.substr(4) + " " + opened.OpenedTime.substr(0, 2) + ":" +
                opened.OpenedTime.substr(2) + " · 접수 · 전송 1회");
  EXPECT_EQ(prompter.Last(), "거래처에서 발주가 이미 접수되었습니다." + kAdvice);
  Send();
  EXPECT_EQ(prompter.Last(), "이미 접수된 내용은 수정할수 없습니다.");
  Click("SBF8");
  EXPECT_EQ(prompter.Last(), "이미 접수된 내용은 삭제할수 없습니다.");
  EXPECT_EQ(TagValue("OH_IOG", Head(code)), "O");

  prompter.Clear();
  Key(Qt::Key_F7, Qt::ControlModifier);
  EXPECT_TRUE(prompter.prompts.empty());  // no message box on success, a note
  EXPECT_EQ(S(Find<QLabel>("LblStatus")->text()), "샘플로 등록하였습니다.");
  EXPECT_FALSE(main->Draft().HasLines());
  ASSERT_EQ(Orders(true), samplesBefore + 1);

  // The sample, opened with Ctrl+F3, is the start of a new order.
  Open(Newest(true), true);
  EXPECT_EQ(S(Find<QLabel>("LblBasketState")->text()), "새 발주 (샘플)");
  const OrderDraft& d = main->Draft();
  EXPECT_EQ(d.LineCount(), 2);
  EXPECT_EQ(d.OpenedCode + d.DeliveryDate + d.Note, "");
  EXPECT_EQ(Line(1).GoodsName, "수동 와이퍼");
}

// SHOP1's demo orders in each status and two samples, on a service of their own.
class DemoOrders : public Ordering {};

TEST_F(DemoOrders, ListEveryStatusAndTwoSamples) {
  ASSERT_EQ(service_->Admin({"demo-orders"}), 0);
  std::map<std::string, int> statuses;
  int rows = 0;
  script.Then([&](QDialog& d) {
    auto& list = static_cast<TFrmOrderS&>(d);
    const PagedList& paged = list.Orders().Paged();
    for (int r = 0; r < kPagedRows && !paged.RowEmpty(r); ++r, ++rows)
      ++statuses[OrderListCell(OrderList::kColStatus, paged.Cell(r, OrderList::kColStatus)).text];
    QTest::keyClick(list.Grid(), Qt::Key_Escape);
  });
  Key(Qt::Key_F3);
  EXPECT_EQ(rows, 9);
  EXPECT_EQ(statuses, (std::map<std::string, int>{{"미접수", 2}, {"작성중", 2}, {"접수중", 2}, {"접수", 3}}));
  EXPECT_FALSE(main->Draft().HasLines());  // cancelled: nothing read

  Open(std::string(), true);  // the newest sample
  EXPECT_EQ(main->Draft().LineCount(), 3);
  EXPECT_TRUE(main->Draft().OpenedCode.empty());
  EXPECT_EQ(Orders(true), 2);
  // Not written twice.
  EXPECT_NE(service_->Admin({"demo-orders"}), 0);
  EXPECT_EQ(Orders(true), 2);
}

}  // namespace
}  // namespace tarvik::test
