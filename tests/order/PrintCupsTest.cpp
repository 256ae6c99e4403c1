// The order list through a private CUPS queue to cups-pdf, checked as pictures (254 dpi: a pixel a unit).
#include <gtest/gtest.h>

#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "order/OrderDraft.h"
#include "order/OrderPrint.h"
#include "platform/Printer.h"
#include "platform/QtText.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

struct PrintedPage {
  int pages = 0;
  std::vector<int> rules;  // rows of the horizontal rules, top to bottom
  int ruleLeft = -1, ruleRight = -1;  // ends of the first rule
  bool inkAboveTable = false;
};

// Runs a poppler tool; its standard output.
std::string Poppler(const QString& tool, const QStringList& args) {
  QProcess p;
  p.start(tool, args);
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return std::string();
  return S(QString::fromUtf8(p.readAllStandardOutput()));
}

PrintedPage Scan(const std::string& pdf) {
  PrintedPage r;
  const std::string info = Poppler(QStringLiteral("pdfinfo"), {Q(pdf)});
  const auto at = info.find("Pages:");
  if (at != std::string::npos) r.pages = std::atoi(info.c_str() + at + 6);
  QTemporaryDir dir;
  const QString png = dir.path() + QStringLiteral("/page");
  Poppler(QStringLiteral("pdftoppm"),
          {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"), QStringLiteral("-png"),
           QStringLiteral("-singlefile"), Q(pdf), png});
  const QImage img(png + QStringLiteral(".png"));
  if (img.isNull()) return r;
  auto dark = [&](int x, int y) { return qGray(img.pixel(x, y)) < 200; };
  // A dotted rule inks a third of the table's 1980 units; a row of text far less.
  int previous = -10;
  for (int y = 0; y < img.height(); ++y) {
    int ink = 0;
    for (int x = 0; x < img.width(); ++x) ink += dark(x, y);
    if (ink < 500) continue;
    if (y > previous + 1) r.rules.push_back(y);  // a rule may straddle two rows
    previous = y;
  }
  if (r.rules.empty()) return r;
  for (int y = r.rules.front(); y <= r.rules.front() + 1; ++y)
    for (int x = 0; x < img.width(); ++x)
      if (dark(x, y)) {
        if (r.ruleLeft < 0 || x < r.ruleLeft) r.ruleLeft = x;
        r.ruleRight = std::max(r.ruleRight, x);
      }
  for (int y = 0; y < r.rules.front() - 2 && !r.inkAboveTable; ++y)
    for (int x = 0; x < img.width() && !r.inkAboveTable; ++x) r.inkAboveTable = dark(x, y);
  return r;
}

TEST(CupsQueue, EachPageIsAJobOfTheDefaultPrinter) {
  test::PrivateCups cups;
  if (!cups.Usable()) GTEST_SKIP() << cups.Why();
  ASSERT_TRUE(cups.Started()) << cups.Why();
  ASSERT_EQ(S(QPrinterInfo::defaultPrinterName()), cups.Queue()) << cups.Logs();

  test::ScriptedPrompter prompter;
  SystemPrinter printer;
  OrderDraft d;
  for (int i = 1; i <= 51; ++i) d.AddDirectLine("브레이크 패드 " + std::to_string(i), "SET", std::to_string(i), "");
  d.DeliveryDate = "240131";
  ASSERT_EQ(PrintOrderList(d, "DEMO상사", printer, prompter), 2);
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();  // printed, not saved

  const std::vector<std::string> pdfs = cups.WaitForPdfs(2);
  ASSERT_EQ(pdfs.size(), 2u) << cups.Logs();
  PrintedPage first = Scan(pdfs[0]), second = Scan(pdfs[1]);
  if (first.rules.size() < second.rules.size()) std::swap(first, second);
  // Page 1: the title above the top rule and 50 rows; page 2: line 51 alone.
  EXPECT_EQ(first.pages, 1);
  EXPECT_EQ(second.pages, 1);
  ASSERT_EQ(first.rules.size(), 51u);
  ASSERT_EQ(second.rules.size(), 2u);
  EXPECT_TRUE(first.inkAboveTable);
  EXPECT_FALSE(second.inkAboveTable);
  for (std::size_t i = 1; i < first.rules.size(); ++i) EXPECT_NEAR(first.rules[i] - first.rules[i - 1], 50, 1) << i;
  EXPECT_NEAR(second.rules[1] - second.rules[0], 50, 1);
  // The table spans x = 20 … 2000; its top rule's place depends on the printer's margins.
  EXPECT_NEAR(first.ruleRight - first.ruleLeft, 1980, 2);
  EXPECT_EQ(second.rules[0], first.rules[0]);
  EXPECT_EQ(second.ruleLeft, first.ruleLeft);
}

}  // namespace
}  // namespace tarvik
