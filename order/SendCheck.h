#pragma once
// Finding on the service the order that a send of unknown outcome may have
// stored, with the commands every service answers: the orderer's order list
// (RequestOrderList) and the order read (RequestOrderOpen). Plain functions
// over reply texts.
#include <QDateTime>

#include <string>
#include <vector>

#include "net/HttpClient.h"

namespace tarvik {

struct UnsureSend;

// How the save a request carried ended (its outcome as the request function
// returned it). Stored: RESULT_CODE "1". NotStored: the service said
// RESULT_CODE "0", or the request never left whole. Unknown: anything else
// (time-out or cut connection after the request went out, a reply that
// cannot be read or holds no result).
enum class SaveOutcome { Stored, NotStored, Unknown };
SaveOutcome SaveOutcomeOf(const PostOutcome& sent);

// Minutes of slack in the comparisons of stored times (whole minutes, the
// service's clock) with the time that passed since the send (the PC's clock).
constexpr int kUnsureWindowMinutes = 10;
// At most this many candidates are read one by one: of a lost reply, the
// orders alike; of a journal left at the start, the newest orders since it
// was written (a clerk may have sent more after the one it belongs to).
constexpr int kUnsureMaxCandidates = 3;
constexpr int kJournalMaxCandidates = 10;

struct UnsureCandidate {
  std::string code;  // OH_CODE
  std::string date;  // OH_SD, yymmdd
  std::string time;  // OH_AT, HHMM
};

// From an order list reply, the orders that may be the unsure send, newest
// first, at most kUnsureMaxCandidates, with the delivery date and note it
// carried (blanks at both ends ignored). The PC's clock need not agree with
// the service's, nor its time zone with the database's (OH_SD and OH_AT are
// the database's local time): a candidate is stored no longer before the
// newest order of the list than the time that passed on the PC since the
// send (now - unsure.at), since every order stored after the send lies in that
// span on the service's clock; and when serviceNow (UTC, the list reply's
// Date) is valid, it lies no further from it than the time zones allow.
// Records whose date or time cannot be read are skipped.
std::vector<UnsureCandidate> UnsureCandidates(const std::string& listReply, const UnsureSend& unsure,
                                              const QDateTime& now, const QDateTime& serviceNow);

// From an order list reply, the orders that may hold a basket journal
// written at saved (local time, "yyyy-MM-ddTHH:mm:ss"): those stored since,
// as UnsureCandidates tells it without asking for the same delivery date and
// note (they may have been typed after the journal's last write); newest
// first, at most kJournalMaxCandidates.
std::vector<UnsureCandidate> JournalCandidates(const std::string& listReply, const std::string& saved,
                                               const QDateTime& now, const QDateTime& serviceNow);

// The time of an HTTP Date header ("Sun, 06 Nov 1994 08:49:37 GMT") in UTC;
// invalid when there is none or it cannot be read.
QDateTime ServiceTimeOf(const std::string& dateHeader);

// True when the order read holds what body (ORDERH_DATA and ORDERL_DATA as
// sent) carried: the same line count, delivery date and note, and line by
// line the same code, quantity (as numbers) and line note, for a product
// typed in by hand also its name and packing unit (blanks at both ends of
// texts ignored).
bool StoredOrderMatches(const std::string& body, const std::string& openReply);

// True when the order read holds every line of body (ORDERL_DATA of at least
// one line): each catalogue product by its code, each product typed in by
// hand by its name and packing unit, whatever the quantities and notes. A
// basket only grows between its journal's last write and its send.
bool StoredOrderHoldsLines(const std::string& body, const std::string& openReply);

// "yyyy-MM-ddTHH:mm:ss" of a local time, as UnsureSend::at holds it.
std::string UnsureStamp(const QDateTime& t);

}  // namespace tarvik
