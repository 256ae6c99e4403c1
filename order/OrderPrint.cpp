#include "order/OrderPrint.h"

#include <cstdio>

#include "net/CallIndex.h"
#include "order/OrderDraft.h"
#include "platform/Printer.h"
#include "platform/Prompter.h"
#include "text/Text.h"

namespace tarvik {

namespace {

// Page geometry in 0.1 mm, y growing upwards from the printable area's top.
constexpr int kLeft = 20, kRight = 2000;
constexpr int kFirstRowTop = -250, kRowHeight = 50;
constexpr int kQuantityRight = 1310;
constexpr int kColumnRules[] = {20, 80, 1030, 1160, 1340, 2000};

int UsedLines(const OrderDraft& draft) {
  int n = 0;
  while (n < kMaxDraftLines && !draft.Line(n).Empty()) ++n;
  return n;
}

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

std::string OrderListDate(const std::string& deliveryDate) {
  return FormatYymmdd(deliveryDate.empty() ? TodayStamp() : deliveryDate);
}

std::vector<PrintPage> OrderListPages(const OrderDraft& draft, const std::string& title,
                                      const std::string& date) {
  const int n = UsedLines(draft);
  const int pages = (n + kPrintLinesPerPage - 1) / kPrintLinesPerPage;
  std::vector<PrintPage> out;
  for (int p = 0; p < pages; ++p) {
    PrintPage page;
    page.number = p + 1;
    page.jobName = "발주리스트 " + std::to_string(p + 1) + "/" + std::to_string(pages);
    auto& s = page.steps;
    if (p == 0) s.push_back(DrawStep::Text(120, -150, 45, title + " " + date + " 일 발주리스트"));
    s.push_back(DrawStep::DottedLine(kLeft, kFirstRowTop - 5, kRight, kFirstRowTop - 5));
    for (int j = 0; j < kPrintLinesPerPage; ++j) {
      const int i = p * kPrintLinesPerPage + j;
      if (i >= n) break;
      const DraftLine& line = draft.Line(i);
      const int y0 = kFirstRowTop - kRowHeight * j;
      s.push_back(DrawStep::Text(30, y0 - 15, 35, TwoDigits(i + 1)));
      s.push_back(DrawStep::Text(90, y0 - 10, 40, line.GoodsName));
      s.push_back(DrawStep::Text(1040, y0 - 10, 40, line.GoodsBox));
      s.push_back(DrawStep::RightText(kQuantityRight, y0 - 10, 40, line.Quantity));
      s.push_back(DrawStep::Text(1360, y0 - 10, 40, line.LineNote));
      s.push_back(DrawStep::DottedLine(kLeft, y0 - 55, kRight, y0 - 55));
      for (int x : kColumnRules) s.push_back(DrawStep::DottedLine(x, y0 - 5, x, y0 - 55));
    }
    out.push_back(std::move(page));
  }
  return out;
}

int PrintOrderList(const OrderDraft& draft, const std::string& title, Printer& printer, Prompter& prompter) {
  if (draft.Line(0).Empty()) {
    prompter.Show("발주내역이 없읍니다.\r\r발주내역을 선택해주십시요.");
    return 0;
  }
  const std::vector<PrintPage> pages = OrderListPages(draft, title, OrderListDate(draft.DeliveryDate));
  int done = 0;
  const PrintOutcome r = printer.PrintPages(pages, done);
  if (!r.pdfFile.empty())
    prompter.Show("설치된 프린터가 없어 발주리스트를 PDF 파일로 저장했습니다.\r\r" + r.pdfFile);
  if (!r.ok) prompter.Show("발주리스트를 인쇄하지 못했습니다.\r\r" + r.error);
  return done;
}

}  // namespace tarvik
