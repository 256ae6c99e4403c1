// The program's message boxes as the user sees them: Qt's Korean button texts
// from the carried translation, and text with as much room on the right as on
// the left.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "platform/ModalRunner.h"
#include "platform/Prompter.h"
#include "platform/Translation.h"

namespace tarvik {
namespace {

struct Seen {
  QStringList buttons;
  int left = -1, right = -1;  // room between the outermost text or icon and the border
};

// Runs ask with the program's own message box and, once the box is up,
// records it and presses key there.
Seen WhileBoxIsUp(const std::function<void()>& ask, Qt::Key key) {
  Seen seen;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;  // the test fails on the empty record; the guard below ends the box
    for (const QPushButton* b : box->findChildren<QPushButton*>()) seen.buttons << b->text();
    int left = box->width(), right = 0;
    for (const QLabel* l : box->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (l->isHidden()) continue;
      left = std::min(left, l->x());
      right = std::max(right, l->geometry().right() + 1);
    }
    seen.left = left;
    seen.right = box->width() - right;
    QTest::keyClick(box, key);
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  guard.start(5000);
  ask();
  return seen;
}

TEST(MessageBox, KoreanButtonsAndEvenMargins) {
  // Carried inside the program, so a copied program speaks Korean too.
  EXPECT_TRUE(QFile::exists(":/tarvik/translations/qtbase_ko.qm"));
  ASSERT_TRUE(InstallKoreanTranslation());
  ASSERT_TRUE(InstallKoreanTranslation());  // a second call is harmless
  // What Qt's Korean catalogue lacks: the file dialog's type column.
  EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QStringLiteral("폴더"));

  struct Case {
    const char* what;
    std::function<void()> ask;
    QStringList buttons;
  };
  bool answer = true;
  const Case cases[] = {
      {"message", [] { ShowMessage("제품을 선택하십시요."); }, {"확인"}},
      {"stop icon",
       [] { CurrentPrompter().Show("업데이트 서버와 연결할수 없습니다.", "접속 실패", PromptIcon::Stop); },
       {"확인"}},
      {"question",
       [&] { answer = AskYesNo("작성중인 내역이 있습니다 \r\r취소하고 종료하시겠습니까?"); },
       {"예(&Y)", "아니요(&N)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // N answers No by its underlined letter; Enter takes the default button.
    const Seen seen = WhileBoxIsUp(c.ask, c.buttons.size() > 1 ? Qt::Key_N : Qt::Key_Return);
    QStringList sorted = seen.buttons;
    sorted.sort();
    QStringList want = c.buttons;
    want.sort();
    EXPECT_EQ(sorted, want);
    EXPECT_GT(seen.right, 0);
    EXPECT_NEAR(seen.left, seen.right, 1);
  }
  EXPECT_FALSE(answer);

  // Enter takes the default button: Yes for an ordinary question, No for one
  // whose Yes throws typed work away.
  WhileBoxIsUp([&] { answer = AskYesNo("다시 전송하지 않고 접수된 발주를 여시겠습니까?"); }, Qt::Key_Return);
  EXPECT_TRUE(answer);
  WhileBoxIsUp([&] { answer = AskToDiscard("작성중인 내역이 있습니다 \r\r취소하고 화면을 지우시겠습니까?"); },
               Qt::Key_Return);
  EXPECT_FALSE(answer);
  WhileBoxIsUp([&] { answer = AskToDiscard("발주 내역을 삭제합니다."); }, Qt::Key_Y);
  EXPECT_TRUE(answer);
}

// Without a window manager nobody gives the keys back when a modal window
// closes: they went to the root window, and a clerk's next key was lost.
TEST(ModalWindows, GiveTheKeysBackToTheWindowThatHadThem) {
  QWidget main;
  main.resize(400, 300);
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  const auto activeAfter = [](const std::function<void()>& open) {
    open();
    QApplication::processEvents();
    return QApplication::activeWindow();
  };

  EXPECT_EQ(activeAfter([] { WhileBoxIsUp([] { ShowMessage("정보가 없는 제품입니다."); }, Qt::Key_Return); }), &main);
  EXPECT_EQ(activeAfter([] { WhileBoxIsUp([] { AskYesNo("발주 내역을 삭제합니다."); }, Qt::Key_Escape); }), &main);

  // A dialog over a dialog (the quantity entry over the category browser):
  // each close gives the keys to the window below it.
  QWidget* afterInner = nullptr;
  const auto closeLater = [](QDialog& d) { QTimer::singleShot(50, &d, [&d] { d.accept(); }); };
  EXPECT_EQ(activeAfter([&] {
              QDialog browser(&main);
              QTimer::singleShot(0, &browser, [&] {
                // as when a clerk presses Enter there
                EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &browser; }));
                QDialog entry(&main);
                closeLater(entry);
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

}  // namespace
}  // namespace tarvik
