#include "order/OrderList.h"

#include "net/ServiceRequests.h"
#include "order/OrderWire.h"
#include "platform/Prompter.h"
#include "platform/BusyCursor.h"
#include "session/Seams.h"
#include "session/Session.h"
#include "text/Text.h"

namespace tarvik {
namespace {

bool Ascii(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

OrderList::OrderList()
    : source_({"OH_SD", "OH_AT", "OH_MT", "OH_IOG", "OH_DD", "OH_NOTE", "OH_CODE"}),
      list_(PagedList::WheelRule::ScrollAtEdge) {
  list_.SetRowSource(&source_);
}

bool OrderList::LoadOrderList(const TDM& dm, const Seams& seams, bool samples) {
  std::string reply;
  {
    BusyCursor wait;
    reply = RequestOrderList(seams.service, dm.MasterInfo.M_CODE, OrderListBody(dm.CustomerInfo.C_CODE, samples)).reply;
  }
  const std::string failure =
      ReplySucceeded(reply) ? std::string()
                            : FailureText("발주 읽기 오류입니다", reply, "\r\r인터넷을 확인하시고 다시 시도하십시요.");
  const ReplyRecordSource::Load result = source_.TakeReply(std::move(reply));
  if (result == ReplyRecordSource::Load::ReadError) seams.prompter.Show(failure);
  if (result == ReplyRecordSource::Load::Records) list_.FillPage(0, 0);
  list_.Select(0);
  return result == ReplyRecordSource::Load::Records;
}

std::string OrderList::SelectedCode() const {
  if (list_.RowEmpty(list_.Selected())) return std::string();
  return list_.Cell(list_.Selected(), kColCode);
}

CellText OrderListCell(int col, const std::string& raw) {
  static const int kInset[OrderList::kColumns] = {6, 7, 7, 8, 6, 4, 4};
  CellText c;
  c.indent = col >= 0 && col < OrderList::kColumns ? kInset[col] : 4;
  const std::string t = TrimRightBlanks(raw);
  switch (col) {
    case OrderList::kColDate:
    case OrderList::kColDelivery:
      if (t.size() == 6 && Ascii(t)) c.text = t.substr(0, 2) + "/" + t.substr(2, 2) + "/" + t.substr(4, 2);
      break;
    case OrderList::kColTime:
    case OrderList::kColChanged:
      if (t.size() == 4 && Ascii(t)) c.text = t.substr(0, 2) + ":" + t.substr(2, 2);
      break;
    case OrderList::kColStatus:
      if (t == "A") c.text = "미접수";
      if (t == "I") c.text = "접수중";
      if (t == "O") c.text = "접수";
      if (t == "X") {
        c.text = "작성중";
        c.rgb = 0xFF0000;
      }
      break;
    default:
      c.text = t;
      break;
  }
  return c;
}

}  // namespace tarvik
