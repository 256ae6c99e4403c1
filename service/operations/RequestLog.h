#pragma once
// The request log: one line a request, written to standard error (under
// systemd, the journal). It names the time, the client, the request line, the
// command and whose request it was, the HTTP status, RESULT_CODE, the records
// returned, the duration and the reply's size; never a password, a price or
// any other body text. Support finds a shop's log-ins with one grep:
//   grep 'orderer-id=SHOP1'
#include <chrono>
#include <string>

#include "service/requests/HttpFraming.h"

namespace tarvik::service {

// One request as the connection side saw it.
struct Exchange {
  std::string peer;             // the connection's peer address, printable
  const HttpHead* head = nullptr;  // method and path empty when refused unread
  int status = 0;
  std::size_t bytes = 0;        // reply head and body
  double seconds = 0;           // from the request read whole to its reply ready
  const ReplyFacts* facts = nullptr;
};

// The line, ending with '\n':
//   2025-01-31T09:12:33.123Z client=10.0.0.7 POST /NET/Customer.php command=100200
//   supplier=S00001 orderer-id=SHOP1 status=200 result=1 records=0 ms=1.4 bytes=211
// Values the client chose are cut to 64 bytes, with blanks, '=', '\' and
// control characters written as \xNN, so one request is one line of
// name=value words however it was built.
std::string RequestLogLine(const Exchange& exchange, std::chrono::system_clock::time_point when);

}  // namespace tarvik::service
