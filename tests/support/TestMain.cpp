// The main of every test program that needs Qt: a QApplication (the offscreen
// platform is set by CTest), test-mode standard paths, so no test touches a
// real user folder, a fixed date for the requests' CALL_INDEX, and every
// request's exchange off the GUI thread, as in the program.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "net/CallIndex.h"
#include "net/ServiceRequests.h"
#include "platform/OffThread.h"

int main(int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  tarvik::FixToday("261207");  // no test's expected CALL_INDEX changes at midnight
  QApplication app(argc, argv);
  tarvik::SetExchangeRunner(tarvik::RunOffGuiThread);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
