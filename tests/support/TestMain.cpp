// The main of every test program that needs Qt: a QApplication (the offscreen
// platform is set by CTest), test-mode standard paths, so no test touches a
// real user folder, and a fixed date for the requests' CALL_INDEX. (Each
// request's exchange runs off the GUI thread, as in the program, through the
// link of the test's Seams: tests/support/TestSeams.h.)
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "net/CallIndex.h"

int main(int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  tarvik::FixToday(tarvik::TodayStamp());  // today at the start: no expected CALL_INDEX changes at midnight
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
