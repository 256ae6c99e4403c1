#pragma once
// The main window after a log-in as SHOP1 at DEMO against the reference
// service (one service for the test suite, a fresh session per test).
#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/LoginFlow.h"
#include "mainwindow/MainWindow.h"
#include "platform/QtText.h"
#include "screens/RowGrid.h"
#include "session/Session.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = new ServiceProcess(); }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(service_->Running());
    ASSERT_TRUE(dir.isValid());
    dm = std::make_unique<TDM>(S(dir.path()) + "/");
    LogIn(ordererId(), password());
    // The first activation shows the notices; answered here.
    script.Then([](QDialog&) {});
    main = std::make_unique<TFrmMain>(*dm, TFrmMain::AlreadyLoggedIn{});
    main->move(0, 0);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    main->FirstActivation();
    main->activateWindow();
    QTest::qWait(20);
    prompter.Clear();
  }
  void TearDown() override {
    main.reset();
    dm.reset();
  }

  virtual std::string ordererId() const { return "SHOP1"; }
  virtual std::string password() const { return "1234"; }

  void LogIn(const std::string& id, const std::string& pw) {
    struct Port : LoginPort {
      void Message(const std::string&) override {}
      bool RunPasswordChange() override { return false; }
      LoadProgress* Progress() override { return nullptr; }
    } port;
    LoginFlow flow(*dm, port);
    ASSERT_EQ(flow.Login("DEMO", id, pw), LoginOutcome::Done);
  }

  template <class W>
  W* Find(const char* name) {
    W* w = main->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  // A key where the focus is, as the user would press it.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = main->focusWidget() ? main->focusWidget() : main.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
  }
  // ASCII as key presses; Korean arrives as the input method commits it.
  void Type(const QString& text) { TypeInto(main->focusWidget(), text); }
  static void TypeInto(QWidget* w, const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 128) {
        QTest::keyClicks(w, QString(c));
      } else {
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(w, &commit);
      }
    }
  }
  // The product on row `row` of the traded list into the basket, with qty,
  // through the quantity dialog.
  void AddTraded(int row, const char* qty) {
    Key(Qt::Key_F2);
    for (int i = 0; i <= row; ++i) Key(Qt::Key_Down);  // the first leaves the search box
    script.Then([qty](QDialog& d) {
      QTest::keyClicks(d.findChild<QLineEdit*>("CEdtCnt"), qty);
      QTest::keyClick(d.findChild<QLineEdit*>("CEdtCnt"), Qt::Key_Return);
    });
    Key(Qt::Key_Return);
  }
  // A product typed in by hand (F5), with packing unit and quantity.
  void AddByHand(const QString& name, const QString& box, const char* qty) {
    script.Then([=](QDialog& d) {
      QTest::keyClick(d.findChild<QLineEdit*>("EdtGN"), Qt::Key_A, Qt::ControlModifier);
      TypeInto(d.findChild<QLineEdit*>("EdtGN"), name);
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
  QWidget* Focus() { return main->focusWidget(); }
  void Click(const char* button) { Find<QPushButton>(button)->click(); }

  static ServiceProcess* service_;
  QTemporaryDir dir;
  ScriptedPrompter prompter;
  ModalScript script;
  std::unique_ptr<TDM> dm;
  std::unique_ptr<TFrmMain> main;
};

inline ServiceProcess* MainWindowTest::service_ = nullptr;

}  // namespace tarvik::test
