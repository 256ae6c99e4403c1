#pragma once
// Finding on the service the order that a send of unknown outcome may have
// stored, with the commands every service answers: the orderer's order list
// ("100400") and the order read ("100406"). Plain functions over reply texts.
#include <QDateTime>

#include <string>
#include <vector>

#include "net/HC.h"

namespace tarvik {

struct UnsureSend;

// How a save ended. Stored: RESULT_CODE "1". NotStored: the service said
// RESULT_CODE "0", or the request never left whole. Unknown: anything else
// (time-out or cut connection after the request went out, a reply that
// cannot be read or holds no result).
enum class SaveOutcome { Stored, NotStored, Unknown };
SaveOutcome SaveOutcomeOf(const std::string& reply, Delivery delivery);

// Minutes an order's stored time (the service's clock) may lie before the
// unsure send or after now (the client's clock) and still count as that send.
constexpr int kUnsureWindowMinutes = 10;
// At most this many candidates are read one by one.
constexpr int kUnsureMaxCandidates = 3;

struct UnsureCandidate {
  std::string code;  // OH_CODE
  std::string date;  // OH_SD, yymmdd
  std::string time;  // OH_AT, HHMM
};

// From an order list reply, the orders that may be the unsure send, newest
// first (as listed), at most kUnsureMaxCandidates: stored within the window
// around unsure.at .. now, with the delivery date and note it carried (blanks
// at both ends ignored). Records whose date or time cannot be read are skipped.
std::vector<UnsureCandidate> UnsureCandidates(const std::string& listReply, const UnsureSend& unsure,
                                              const QDateTime& now);

// True when the order read holds what body (ORDERH_DATA and ORDERL_DATA as
// sent) carried: the same line count, delivery date and note, and line by
// line the same code, quantity (as numbers) and line note, for a product
// typed in by hand also its name and packing unit (blanks at both ends of
// texts ignored).
bool StoredOrderMatches(const std::string& body, const std::string& openReply);

// "yyyy-MM-ddTHH:mm:ss" of a local time, as UnsureSend::at holds it.
std::string UnsureStamp(const QDateTime& t);

}  // namespace tarvik
