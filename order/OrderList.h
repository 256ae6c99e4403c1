#pragma once
// The rules of the order and sample list (TFrmOrderS) without widgets: the
// one request, the 25-row window over the records of its reply, how each
// cell is drawn, and the key handed back for the chosen row.
#include <string>

#include "screens/CellFormat.h"
#include "screens/PagedList.h"
#include "screens/ReplyRecordSource.h"

namespace tarvik {

class TDM;
struct Seams;

class OrderList {
 public:
  // The six columns shown, then the key that travels with the row.
  enum Column { kColDate, kColTime, kColChanged, kColStatus, kColDelivery, kColNote, kColCode };
  static constexpr int kColumns = 7;

  OrderList();
  OrderList(const OrderList&) = delete;
  OrderList& operator=(const OrderList&) = delete;

  // LoadOrderList: asks the service for the orderer's orders (samples: its
  // samples), newest first. A refused or failed request shows
  // "발주 읽기 오류입니다..." and leaves the list empty with ListCount -1; no
  // record leaves it empty without a message. The selection goes to row 0.
  // True when at least one record came.
  bool LoadOrderList(const TDM& dm, const Seams& seams, bool samples);

  PagedList& Paged() { return list_; }
  const PagedList& Paged() const { return list_; }
  long long ListCount() const { return source_.ListCount(); }
  const std::string& ListReply() const { return source_.ListReply(); }
  // OH_CODE of the selected row; empty on a row without a record.
  std::string SelectedCode() const;

 private:
  ReplyRecordSource source_;
  PagedList list_;
};

// How a cell of the list is drawn: dates yy/mm/dd and times HH:MM only from
// texts of exactly six and four characters (else nothing), the status word of
// "A", "I", "O" or "X" ("작성중" in red; anything else nothing), the note as it
// is; trailing blanks go first.
CellText OrderListCell(int col, const std::string& raw);

}  // namespace tarvik
