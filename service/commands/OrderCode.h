#pragma once
// Keys of orders and supplier messages.
#include <string>

namespace tarvik::service {

// A new key: a head that sorts by creation time (UTC yymmddHHMMSS and six
// digits of microseconds, from the database's clock so that instances on
// several machines agree; strictly increasing within the process) and a random
// tail of ten characters, so that a key cannot be guessed from another one.
// The order commands carry no log-in, so the key is what keeps orders apart.
std::string NewOrderCode(long long utcMicros);

}  // namespace tarvik::service
