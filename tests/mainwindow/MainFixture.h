#pragma once
// The main window logged in as SHOP1 at DEMO (one service per suite, a fresh session per test).
#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QTextCharFormat>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <utility>

#include "app/LoginFlow.h"
#include "mainwindow/MainWindow.h"
#include "net/ServiceRequests.h"
#include "order/OrderListScreen.h"
#include "order/OrderWire.h"
#include "platform/QtText.h"
#include "wire/MessageFormat.h"
#include "screens/RowGrid.h"
#include "session/Session.h"
#include "tests/order/OrderTexts.h"
#include "tests/support/Environment.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ServiceFixture.h"
#include "tests/support/TestSeams.h"

namespace tarvik::test {

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = new ServiceProcess(); }
  static void TearDownTestSuite() { delete std::exchange(service_, nullptr); }

  void SetUp() override {
    ASSERT_TRUE(service_->Running());
    ASSERT_TRUE(dir.isValid());
    dm = std::make_unique<TDM>(S(dir.path()) + "/");
    LogIn(ordererId(), password());
    ShowMain();
    prompter.Clear();
  }
  void TearDown() override { main.reset(); dm.reset(); }

  // A new main window as after a log-in (keeping its basket below journalFolder when given), active.
  void ShowMain(const std::string& journalFolder = std::string()) {
    main.reset();
    main = std::make_unique<TFrmMain>(*dm, seams, TFrmMain::AlreadyLoggedIn{});
    if (!journalFolder.empty()) main->KeepBasketJournal(journalFolder);
    script.Then([](QDialog&) {});  // the first activation shows the notices
    main->move(0, 0);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    main->FirstActivation();
    main->activateWindow();
    (void)QTest::qWaitForWindowActive(main.get(), 3000);  // under Wine another test program may hold it a while
  }

  virtual std::string ordererId() const { return "SHOP1"; }
  virtual std::string password() const { return "1234"; }

  void LogIn(const std::string& id, const std::string& pw) {
    struct Port : LoginPort {
      void Message(const std::string&) override {}
      bool RunPasswordChange() override { return false; }
      LoadProgress* Progress() override { return nullptr; }
    } port;
    ASSERT_EQ(LoginFlow(*dm, seams, port).Login("DEMO", id, pw), LoginOutcome::Done);
  }

  template <class W>
  W* Find(const char* name) {
    W* w = main->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  // A key where the focus is, as the user would press it.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(main->focusWidget() ? main->focusWidget() : main.get(), static_cast<Qt::Key>(key), mods);
  }
  // ASCII as key presses; Korean as an input method delivers it: composed (underlined), then committed.
  void Type(const QString& text) { TypeInto(main->focusWidget(), text); }
  static void TypeInto(QWidget* w, const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 128) { QTest::keyClicks(w, QString(c)); continue; }
      auto* edit = qobject_cast<QLineEdit*>(w);
      QString before = edit ? edit->text() : QString();  // less a selection the syllable replaces
      if (edit && edit->hasSelectedText()) before.remove(edit->selectionStart(), edit->selectedText().size());
      QTextCharFormat underline;
      underline.setFontUnderline(true);
      QInputMethodEvent composing(QString(c), {{QInputMethodEvent::TextFormat, 0, 1, underline},
                                               {QInputMethodEvent::Cursor, 1, 1, QVariant()}});
      QApplication::sendEvent(w, &composing);
      EXPECT_TRUE(!edit || edit->text() == before) << "composing text taken as typed: " << S(edit->text());
      QInputMethodEvent commit;
      commit.setCommitString(QString(c));
      QApplication::sendEvent(w, &commit);
    }
  }
  static QLineEdit* Field(QDialog& d, const char* name) { return d.findChild<QLineEdit*>(name); }
  // The quantity dialog: qty typed over the shown one, then Enter.
  static void EnterQuantity(QDialog& d, const char* qty) {
    QTest::keyClicks(Field(d, "CEdtCnt"), qty);
    QTest::keyClick(Field(d, "CEdtCnt"), Qt::Key_Return);
  }
  // The product on row `row` of the traded list into the basket, with qty.
  void AddTraded(int row, const char* qty) {
    Key(Qt::Key_F2);
    for (int i = 0; i <= row; ++i) Key(Qt::Key_Down);  // the first leaves the search box
    script.Then([qty](QDialog& d) { EnterQuantity(d, qty); });
    Key(Qt::Key_Return);
  }
  // A product typed in by hand (F5), with packing unit and quantity.
  void AddByHand(const QString& name, const QString& box, const char* qty) {
    script.Then([=](QDialog& d) {
      QTest::keyClick(Field(d, "EdtGN"), Qt::Key_A, Qt::ControlModifier);
      TypeInto(Field(d, "EdtGN"), name);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      TypeInto(d.focusWidget(), box);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QTest::keyClicks(d.focusWidget(), qty);
      QTest::keyClick(d.focusWidget(), Qt::Key_Return);
      QTest::keyClick(d.focusWidget(), Qt::Key_Escape);
    });
    Key(Qt::Key_F5);
  }
  void TypeInBox(const char* box, const QString& text) {
    Find<QLineEdit>(box)->setFocus();
    Type(text);
  }
  std::string Count() { return S(Find<QPushButton>("SBCount")->text()); }
  // The basket's lines as "code quantity".
  Texts Lines() {
    Texts lines;
    for (int r = 0; r < main->Draft().LineCount(); ++r)
      lines.push_back(main->Draft().Line(r).GoodsCode + " " + main->Draft().Line(r).Quantity);
    return lines;
  }
  void Send() {
    prompter.Clear();
    Key(Qt::Key_F7);
  }
  // F3 (Ctrl+F3: samples), Enter on code's row (empty: the newest).
  void Open(const std::string& code, bool samples = false) {
    script.Then([code](QDialog& d) {
      auto& list = static_cast<TFrmOrderS&>(d);
      const PagedList& paged = list.Orders().Paged();
      for (int i = 0; i < 200 && !code.empty() && paged.Cell(paged.Selected(), OrderList::kColCode) != code; ++i)
        QTest::keyClick(list.Grid(), Qt::Key_Down);
      QTest::keyClick(list.Grid(), Qt::Key_Return);
    });
    Key(Qt::Key_F3, samples ? Qt::ControlModifier : Qt::NoModifier);
  }
  // What the service holds, asked straight (past any proxy a test puts between).
  ServiceLink Direct() const {
    ServiceLink link = seams.service;
    link.server = ParseServerAddress(service_->Address());
    return link;
  }
  std::string ListOf(bool samples = false) {
    return RequestOrderList(Direct(), dm->MasterInfo.M_CODE, OrderListBody(dm->CustomerInfo.C_CODE, samples)).reply;
  }
  std::string Newest(bool samples = false) { return TagValue("OH_CODE", TagValue("RDC_0", ListOf(samples))); }
  long long Orders(bool samples = false) { return TagInt("RESULT_RECORD_COUNT", ListOf(samples)); }
  // The order's header as the service holds it.
  std::string Head(const std::string& code) {
    return TagValue("ORDERH_DATA", RequestOrderOpen(Direct(), dm->MasterInfo.M_CODE, code).reply);
  }
  // The messages left for the supplier, one line each, tab-separated cells.
  std::vector<Texts> Messages() {
    std::string out;
    EXPECT_EQ(service_->Admin({"messages"}, &out), 0);
    std::vector<Texts> rows;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      std::istringstream cs(line);
      rows.emplace_back();
      for (std::string c; std::getline(cs, c, '\t');) rows.back().push_back(c);
    }
    return rows;
  }
  QWidget* Focus() { return main->focusWidget(); }
  // The tooltip a grid shows over a cell.
  static std::string Tip(RowGrid* grid, int row, int col) {
    const QPoint at = grid->visualRect(grid->model()->index(row, col)).center();
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    const std::string shown = S(QToolTip::text());
    QToolTip::hideText();
    return shown;
  }
  void Click(const char* button) { Find<QPushButton>(button)->click(); }
  // A wheel turn over a grid: dy 120 away from the user, -120 towards.
  static void Wheel(RowGrid* grid, int dy) {
    QWheelEvent e(QPointF(9, 9), grid->viewport()->mapToGlobal(QPointF(9, 9)), QPoint(), QPoint(0, dy), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &e);
  }

  static ServiceProcess* service_;
  QTemporaryDir dir;
  ScriptedPrompter prompter;
  CountingPrinter printer;
  Seams seams = TestSeams(prompter, service_->Address(), &printer);
  ModalScript script;
  std::unique_ptr<TDM> dm;
  std::unique_ptr<TFrmMain> main;
};

inline ServiceProcess* MainWindowTest::service_ = nullptr;

}  // namespace tarvik::test
