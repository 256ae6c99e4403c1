#pragma once
// The printed order list: the basket's lines as a ruled list, 50 lines a
// page, each page a print job of its own. A shop checks arriving goods
// against it.
#include <string>
#include <vector>

#include "platform/PageDrawing.h"

namespace tarvik {

class OrderDraft;
class Printer;
class Prompter;

constexpr int kPrintLinesPerPage = 50;

// The date of the title: deliveryDate (the text of EdtDD), or today's date
// when it is empty, through FormatYymmdd.
std::string OrderListDate(const std::string& deliveryDate);

// The pages of the used lines (the rows before the first one without a
// product code); the title title + " " + date + " 일 발주리스트" stands on the
// first page only. No pages for an empty basket.
std::vector<PrintPage> OrderListPages(const OrderDraft& draft, const std::string& title,
                                      const std::string& date);

// Prints the basket (F11, SBF11 "주문인쇄"): an empty basket shows
// "발주내역이 없읍니다.\r\r발주내역을 선택해주십시요." and prints nothing.
// title is the text of LblTitle. Pages saved as PDF files instead are named
// in one message; a failing page shows the printer's error and ends the run
// (the messages through prompter). The basket never changes. Returns the
// number of pages printed or saved.
int PrintOrderList(const OrderDraft& draft, const std::string& title, Printer& printer, Prompter& prompter);

}  // namespace tarvik
