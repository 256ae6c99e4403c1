#pragma once
// What the desk reads and writes of the orders and messages, always of one
// supplier. Orders being written ("X") belong to the shop alone and never
// show. Messages carry no order code: a message belongs to the order of its
// shop sent last before it (orders and messages have time-ordered codes).
#include <string>
#include <vector>

#include "service/store/Database.h"

namespace tarvik::service::desk {

struct OrderRow {
  std::string code, date, time, changed, sends, shop, shopName, status, delivery, note;
  std::string message;  // the shop's newest message with this order
  long long lines = 0;
  long long amount = 0;  // quantity times the shop's unit price, lines that have both
};

struct InboxView {
  std::vector<OrderRow> fresh;   // "A", newest first, one page
  std::vector<OrderRow> taking;  // "I", newest first, at most a page
  long long freshCount = 0;      // every "A" order
  long long takingCount = 0;
};

constexpr int kPageRows = 50;

bool ReadInbox(Connection& db, const std::string& supplier, int page, InboxView& view,
               std::string& error);

struct SearchTerms {
  std::string shop;      // part of the shop's name, or its code or ID
  std::string from, to;  // yymmdd, either may be empty
  std::string status;    // "A", "I", "O" or empty for all
  std::string product;   // a product code on one of the lines
  int page = 0;
};

// One page, newest first; more tells that another page follows.
bool SearchOrders(Connection& db, const std::string& supplier, const SearchTerms& terms,
                  std::vector<OrderRow>& rows, bool& more, std::string& error);

struct OrderLine {
  std::string no, code, name, box, quantity, note;
  long long price = -1;   // -1: no price (a hand-written line, or none for this shop)
  long long amount = -1;  // -1: not known
};

struct Message {
  std::string id, code, shop, shopName, date, time, read, text, order;
};

struct OrderView {
  OrderRow head;
  std::vector<OrderLine> lines;
  std::vector<Message> messages;  // those that came with this order
  std::string nextOrder;  // the shop's next order ("~": none): its messages are before it
};

// found false (and true returned) when the supplier has no such order to show.
bool ReadOrder(Connection& db, const std::string& supplier, const std::string& code,
               OrderView& view, bool& found, std::string& error);

// The messages of view.head's order, and view.nextOrder (in ReadOrder's
// read transaction).
bool ReadOrderMessages(Connection& db, const std::string& supplier, OrderView& view,
                       std::string& error);

enum class MarkResult { kDone, kRefused, kFailed };
// Moves an order "A" -> "I" or "I" -> "O" and audits it, in one statement
// that checks what it changes: only while the order is as the page showed it
// (its send count and change time), so a shop's re-send and the mark never
// both win. kRefused with the reason in Korean.
MarkResult MarkOrder(Connection& db, const std::string& supplier, const std::string& code,
                     const std::string& to, const std::string& seenSends,
                     const std::string& seenChanged, const std::string& who, std::string& why);

// Records "읽음" (OA_RTIME) on the unread messages of an opened order; audited
// when there were any.
bool MarkOrderRead(Connection& db, const std::string& supplier, const OrderView& view,
                   const std::string& who, std::string& error);

// Unread first (all of them, at most 200), then one page of the read ones.
bool ReadMessages(Connection& db, const std::string& supplier, int page,
                  std::vector<Message>& unread, std::vector<Message>& read, bool& more,
                  std::string& error);
bool MarkMessageRead(Connection& db, const std::string& supplier, const std::string& id,
                     const std::string& who, std::string& error);

// The supplier's name (M_BIGO, else its ID) for the pages' heading.
std::string SupplierName(Connection& db, const std::string& supplier);

}  // namespace tarvik::service::desk
