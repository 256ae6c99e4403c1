// The platform layer: message boxes as the user sees them, the keys after a modal window, the request's
// thread, the run log and the screen's scale (window shapes are the start-up screen's and image button's).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <thread>

#include "platform/ModalRunner.h"
#include "platform/OffThread.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "platform/RunLog.h"
#include "platform/ScreenFit.h"
#include "platform/Translation.h"
#include "tests/support/Files.h"

namespace tarvik { namespace {

struct Seen {
  QString text;
  QStringList buttons;
};

// Runs ask with the program's own message box; once it is up, records it and presses key there.
Seen WhileBoxIsUp(const std::function<void()>& ask, Qt::Key key) {
  Seen seen;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;  // the test fails on the empty record; the guard below ends the box
    if (auto* m = qobject_cast<QMessageBox*>(box)) seen.text = m->text();
    for (const QPushButton* b : box->findChildren<QPushButton*>()) seen.buttons << b->text();
    QTest::keyClick(box, key);
  });
  QTimer guard;  // ends a box the test could not
  guard.callOnTimeout([] { if (QWidget* box = QApplication::activeModalWidget()) box->close(); });
  guard.start(5000);
  ask();
  return seen;
}

TEST(MessageBox, KoreanButtonsAndTheirAnswers) {
  // Carried inside the program, so a copied program speaks Korean too.
  EXPECT_TRUE(QFile::exists(":/tarvik/translations/qtbase_ko.qm"));
  ASSERT_TRUE(InstallKoreanTranslation());
  ASSERT_TRUE(InstallKoreanTranslation());  // a second call is harmless
  // What Qt's Korean catalogue lacks: the file dialog's type column.
  EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QStringLiteral("폴더"));
  BoxPrompter box;
  bool answer = true;
  // buttons: sorted
  const struct { const char* what; std::function<void()> ask; QStringList buttons; Qt::Key key; bool answer; } cases[] = {
      {"message", [&] { box.Show("제품을 선택하십시요."); }, {"확인"}, Qt::Key_Return, true},
      // N answers No by its underlined letter.
      {"question", [&] { answer = box.AskYesNo("작성중인 내역이 있습니다 \r\r취소하고 종료하시겠습니까?"); },
       {"아니요(&N)", "예(&Y)"}, Qt::Key_N, false},
      // Enter takes the default: Yes, but No where Yes throws typed work away.
      {"Enter on a question", [&] { answer = box.AskYesNo("다시 전송하지 않고 접수된 발주를 여시겠습니까?"); },
       {"아니요(&N)", "예(&Y)"}, Qt::Key_Return, true},
      {"Enter on a discard", [&] { answer = box.AskToDiscard("작성중인 내역이 있습니다 \r\r취소하고 화면을 지우시겠습니까?"); },
       {"아니요(&N)", "예(&Y)"}, Qt::Key_Return, false},
      {"Y on a discard", [&] { answer = box.AskToDiscard("발주 내역을 삭제합니다."); }, {"아니요(&N)", "예(&Y)"},
       Qt::Key_Y, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    answer = true;
    Seen seen = WhileBoxIsUp(c.ask, c.key);
    seen.buttons.sort();
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(answer, c.answer);
  }
  // A message's line breaks as the box shows them (the log-in's refusals are told so).
  EXPECT_EQ(WhileBoxIsUp([&] { box.Show("a\r\rb\r\nc"); }, Qt::Key_Return).text, QStringLiteral("a\n\nb\nc"));
}

// Without a window manager the keys went to the root window after a modal one closed: the next key was lost.
TEST(ModalWindows, GiveTheKeysBackToTheWindowThatHadThem) {
  QWidget main;
  main.resize(400, 300);
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  BoxPrompter box;
  const auto activeAfter = [](const std::function<void()>& open) {
    open();
    QApplication::processEvents();
    return QApplication::activeWindow();
  };
  EXPECT_EQ(activeAfter([&] { WhileBoxIsUp([&] { box.Show("정보가 없는 제품입니다."); }, Qt::Key_Return); }), &main);
  EXPECT_EQ(activeAfter([&] { WhileBoxIsUp([&] { box.AskYesNo("발주 내역을 삭제합니다."); }, Qt::Key_Escape); }), &main);
  // A dialog over a dialog (a quantity over the browser): each close gives the keys to the one below.
  QWidget* afterInner = nullptr;
  EXPECT_EQ(activeAfter([&] {
              QDialog browser(&main);
              QTimer::singleShot(0, &browser, [&] {  // as when a clerk presses Enter there
                EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &browser; }));
                QDialog entry(&main);
                QTimer::singleShot(50, &entry, [&entry] { entry.accept(); });
                RunModal(entry);
                QApplication::processEvents();
                afterInner = QApplication::activeWindow();
                browser.accept();
              });
              RunModal(browser);
            }),
            &main);
  EXPECT_NE(afterInner, nullptr);
  EXPECT_NE(afterInner, &main);  // the browser, not the window under it
}

TEST(OffThread, TheWindowLivesWhileTheCallRunsKeysComeAfterItClicksNever) {
  QLineEdit edit;
  edit.show();
  edit.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  QString during;
  bool busy = false;
  QTimer::singleShot(40, [&] {  // the clerk types and clicks while the request runs
    QTest::keyClicks(&edit, "ab");
    QTest::mouseDClick(&edit, Qt::LeftButton);
    during = edit.text();
    busy = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
  });
  bool ranElsewhere = false;
  RunOffGuiThread([&] {
    ranElsewhere = QThread::currentThread() != qApp->thread();
    QThread::msleep(300);
  });
  EXPECT_TRUE(ranElsewhere);
  EXPECT_GE(ticks, 5);  // the GUI thread went on
  EXPECT_TRUE(during.isEmpty());
  EXPECT_TRUE(busy);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  QApplication::processEvents();
  EXPECT_EQ(edit.text(), QStringLiteral("ab"));  // in order, once it ended
  std::thread([&] { RunOffGuiThread([&] { ranElsewhere = false; }); }).join();  // elsewhere: in place
  EXPECT_FALSE(ranElsewhere);
}

TEST(RunLog, QtMessagesGoToTheFileWhichTurnsOverPastItsSize) {
  QTemporaryDir dir;
  const std::string path = S(dir.path()) + "/TKClientI.log";
  KeepRunLog(path, 120);
  for (const char* text : {"first", "second", "third", "fourth"}) qWarning("%s", text);
  qInstallMessageHandler(nullptr);
  const std::string now = test::ReadFile(path), before = test::ReadFile(path + ".1");
  EXPECT_NE(now.find(" warning: fourth\n"), std::string::npos) << now;
  EXPECT_EQ(now.find("third"), std::string::npos);
  EXPECT_NE(before.find("first"), std::string::npos);
  EXPECT_NE(before.find("third"), std::string::npos);
}

TEST(ScreenFit, TheSystemScaleWhereTheMainWindowFitsElseTheLargestThatDoes) {
  const struct { ScreenRoom room; double scale; } cases[] = {  // room: the screen less the taskbar, and DPI
      {{1920, 1040, 96}, 1.0},    {{1366, 728, 96}, 1.0},     {{2560, 1400, 96}, 1.0},
      {{1920, 1020, 144}, 1.445},  // 150 %: 1058 pixels high would go under the taskbar
      {{1366, 718, 120}, 1.017},   // a laptop at its default 125 %
      {{1024, 728, 96}, 1.0},      // never below 1: the 1024 width rule instead
      {{1024, 728, 120}, 1.0},
      {{0, 0, 96}, 0.0},           // not known: Qt's own
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(FitScale(c.room), c.scale) << c.room.width << "x" << c.room.height << "@" << c.room.dpi;
    if (c.scale > 1) {
      EXPECT_LE(kLayoutWidth * c.scale, c.room.width);
      EXPECT_LE(kLayoutHeight * c.scale, c.room.height);
    }
  }
}

}}  // namespace tarvik
