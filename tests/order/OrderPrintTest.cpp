// The printed order list: pages, the messages, PDF files without a printer.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>

#include "order/OrderDraft.h"
#include "order/OrderPrint.h"
#include "platform/Printer.h"
#include "platform/QtText.h"
#include "tests/support/CountingPrinter.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

const char* kTitle = "DEMO상사";

std::string Two(int n) { return S(QString::asprintf("%02d", n)); }

// n lines typed in by hand: "제품 01" … with quantity i × 10 and a note.
OrderDraft BasketOf(int n) {
  OrderDraft d;
  for (int i = 1; i <= n; ++i) d.AddDirectLine("제품 " + Two(i), "EA", std::to_string(i * 10), i % 2 ? "급송" : "");
  return d;
}

// Line numbers from..to as the page writes them.
std::vector<std::string> Numbers(int from, int to) {
  std::vector<std::string> out;
  for (int i = from; i <= to; ++i) out.push_back(Two(i));
  return out;
}

TEST(OrderPrint, FiftyLinesAPageEachPageAJobTitleOnTheFirstOnly) {
  for (int lines : {50, 51, 99}) {
    SCOPED_TRACE(lines);
    test::ScriptedPrompter prompter;
    test::CountingPrinter printer;
    const std::size_t jobs = lines > 50 ? 2 : 1;
    EXPECT_EQ(PrintOrderList(BasketOf(lines), kTitle, printer, prompter), static_cast<int>(jobs));
    ASSERT_EQ(printer.jobs.size(), jobs);
    EXPECT_TRUE(prompter.prompts.empty());
    for (std::size_t j = 0; j < jobs; ++j) {
      // Each page starts at the top (y -265); the title is the 45-high text.
      std::vector<std::string> numbers;
      int firstY = 0;
      bool title = false;
      for (const DrawStep& s : printer.jobs[j].steps) {
        if (s.kind != DrawStep::Kind::Text) continue;
        title = title || s.height == 45;
        if (s.height != 35) continue;
        if (numbers.empty()) firstY = s.y;
        numbers.push_back(s.text);
      }
      EXPECT_EQ(numbers, j ? Numbers(51, lines) : Numbers(1, std::min(lines, 50)));
      EXPECT_EQ(firstY, -265);
      EXPECT_EQ(title, j == 0);
      EXPECT_EQ(printer.jobs[j].number, static_cast<int>(j + 1));
    }
  }
}

TEST(OrderPrint, PdfFilesAreNamedAndAPrinterErrorEndsTheRun) {
  test::ScriptedPrompter prompter;
  test::CountingPrinter printer;
  const OrderDraft d = BasketOf(60);
  PrintOutcome pdf1{true, "/docs/Tarvik/a_1.pdf", ""}, pdf2{true, "/docs/Tarvik/a_2.pdf", ""};
  printer.outcomes = {pdf1, pdf2};
  EXPECT_EQ(PrintOrderList(d, kTitle, printer, prompter), 2);
  EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"설치된 프린터가 없어 발주리스트를 PDF 파일로 저장했습니다.\r\r"
                                                       "/docs/Tarvik/a_1.pdf\r/docs/Tarvik/a_2.pdf"});

  prompter.Clear();
  printer.jobs.clear();
  printer.outcomes = {PrintOutcome{false, "", "프린터(Office)에 인쇄하지 못했습니다."}};
  EXPECT_EQ(PrintOrderList(d, kTitle, printer, prompter), 0);
  EXPECT_EQ(printer.jobs.size(), 1u);  // the second page is not tried
  EXPECT_EQ(prompter.Texts(),
            std::vector<std::string>{"발주리스트를 인쇄하지 못했습니다.\r\r프린터(Office)에 인쇄하지 못했습니다."});
  EXPECT_EQ(d.LineCount(), 60);
}

// The text of one page of a PDF file.
std::string PdfText(const std::string& file, int page) {
  QProcess p;
  const QString n = QString::number(page);
  p.start(QStringLiteral("pdftotext"),
          {QStringLiteral("-layout"), QStringLiteral("-f"), n, QStringLiteral("-l"), n, Q(file), QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return "pdftotext failed: " + file;
  return S(QString::fromUtf8(p.readAllStandardOutput()));
}

TEST(SystemPrinter, WithoutAPrinterThePagesBecomeOnePdfFileInTheDocumentsFolder) {
  // The tests point CUPS at a socket where no scheduler listens.
  ASSERT_TRUE(QPrinterInfo::availablePrinterNames().isEmpty()) << "a test must not reach a real printer";
  QDir(Q(PdfFolder())).removeRecursively();  // the test's own home, from an earlier run
  test::ScriptedPrompter prompter;
  SystemPrinter printer;
  OrderDraft d = BasketOf(51);
  d.DeliveryDate = "240131";
  ASSERT_EQ(PrintOrderList(d, kTitle, printer, prompter), 2);
  ASSERT_EQ(prompter.prompts.size(), 1u);
  const std::string folder = PdfFolder();
  EXPECT_EQ(folder, S(QDir::homePath()) + "/Documents/Tarvik");
  const QStringList lines = Q(prompter.Last()).split(QLatin1Char('\r'));  // its words: the test above
  ASSERT_EQ(lines.size(), 3);
  const std::string file = S(lines[2]);
  EXPECT_EQ(S(QFileInfo(Q(file)).absolutePath()), folder);
  EXPECT_TRUE(QFileInfo(Q(file)).isFile()) << file;

#ifndef _WIN32  // pdftotext is a Linux program: a Windows test under Wine cannot run it
  // Which lines go on which page is the first test's.
  const std::string text1 = PdfText(file, 1), text2 = PdfText(file, 2);
  EXPECT_NE(text1.find("DEMO상사 24/01/31 일 발주리스트"), std::string::npos) << text1;
  EXPECT_NE(text2.find("제품 51"), std::string::npos) << text2;
#endif

  // A second print (mostly in the same second) keeps the first files.
  prompter.Clear();
  ASSERT_EQ(PrintOrderList(d, kTitle, printer, prompter), 2);
  EXPECT_EQ(QDir(Q(folder)).entryList({QStringLiteral("*.pdf")}, QDir::Files).size(), 2);
}

}  // namespace
}  // namespace tarvik
