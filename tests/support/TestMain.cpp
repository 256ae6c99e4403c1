// The main of every test program that needs Qt: a QApplication (the offscreen
// platform is set by CTest) and test-mode standard paths, so no test touches
// a real user folder.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
