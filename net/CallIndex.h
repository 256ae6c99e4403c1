#pragma once
// The numbering of the requests of one run: every HTTP client object takes the
// next number, and a request's CALL_INDEX is TodayStamp() + "-" + that number.
#include <cstdint>
#include <string>

namespace tarvik {

// The local date as yymmdd, or the date FixToday set.
std::string TodayStamp();
// The date CALL_INDEX carries from now on instead of the clock's (yymmdd;
// empty: the clock again). Tests fix it, so that the CALL_INDEX a test
// expects cannot change at midnight between its guess and the send.
void FixToday(const std::string& yymmdd);

// Raises the run's request counter by one and returns the new value (1 for the
// first request of the process).
std::int64_t NextRequestNumber();
// The counter as it stands: the number of HTTP client objects created so far.
std::int64_t RequestCounter();

}  // namespace tarvik
