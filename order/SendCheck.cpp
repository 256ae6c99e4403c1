#include "order/SendCheck.h"

#include <algorithm>
#include <cstdlib>

#include "wire/MessageFormat.h"
#include "order/OrderDraft.h"
#include "screens/CellFormat.h"
#include "text/Text.h"

namespace tarvik {
namespace {

bool SameText(const std::string& a, const std::string& b) { return TrimBlanks(a) == TrimBlanks(b); }

bool SameQuantity(const std::string& a, const std::string& b) {
  const auto x = ParseNumber(StripCommas(a)), y = ParseNumber(StripCommas(b));
  return x && y ? *x == *y : TrimBlanks(a) == TrimBlanks(b);
}

// yymmdd + HHMM as the database's wall-clock time, held as UTC so that no
// zone of this PC bends it; invalid when either cannot be read.
QDateTime StoredAt(const std::string& date, const std::string& time) {
  const QDate d = QDate::fromString(QString::fromStdString("20" + date), "yyyyMMdd");
  const QTime t = QTime::fromString(QString::fromStdString(time), "HHmm");
  return date.size() == 6 && time.size() == 4 && d.isValid() && t.isValid() ? QDateTime(d, t, Qt::UTC)
                                                                            : QDateTime();
}

// The widest offsets of a time zone from UTC.
constexpr qint64 kZoneBehindSecs = 12 * 3600;
constexpr qint64 kZoneAheadSecs = 14 * 3600;

}  // namespace

SaveOutcome SaveOutcomeOf(const PostOutcome& sent) {
  const std::string result = TagValue("RESULT_CODE", sent.reply);
  if (result == "1") return SaveOutcome::Stored;
  if (result == "0" || sent.delivery == Delivery::NotSent) return SaveOutcome::NotStored;
  return SaveOutcome::Unknown;
}

std::string UnsureStamp(const QDateTime& t) { return t.toString(Qt::ISODate).toStdString(); }

namespace {

// The orders of a list reply stored since sentAt, newest first, at most max;
// with header given, only those with its delivery date and note.
std::vector<UnsureCandidate> StoredSince(const std::string& listReply, const std::string& sentAt,
                                         const QDateTime& now, const QDateTime& serviceNow, int max,
                                         const std::string* header) {
  std::vector<UnsureCandidate> found;
  const QDateTime sent = QDateTime::fromString(QString::fromStdString(sentAt), Qt::ISODate);
  if (!sent.isValid()) return found;
  const qint64 slack = 60 * kUnsureWindowMinutes;
  // A PC clock set back since the send gives no span; the slack still holds.
  const qint64 since = std::max<qint64>(0, sent.secsTo(now)) + slack;
  const std::string dd = header ? TagValue("OH_DD", *header) : std::string();
  const std::string note = header ? TagValue("OH_NOTE", *header) : std::string();
  const ReplyReader records(listReply);
  const RecordFields fields({"OH_CODE", "OH_SD", "OH_AT", "OH_DD", "OH_NOTE"});
  std::vector<std::string> f;
  struct Stored {
    QDateTime at;
    UnsureCandidate order;
  };
  std::vector<Stored> alike;
  QDateTime newest;
  // The list is newest day first; the send's orders are among its first.
  for (std::size_t i = 0; i < 100; ++i) {
    const std::string record = records.Record(i);
    if (record.empty()) break;
    fields.Read(record, f);
    const QDateTime at = StoredAt(f[1], f[2]);
    if (!at.isValid() || f[0].empty()) continue;
    if (!newest.isValid() || at > newest) newest = at;
    if (!header || (SameText(f[3], dd) && SameText(f[4], note))) alike.push_back({at, {f[0], f[1], f[2]}});
  }
  // Within a day the list is in the order of the codes, which need not be
  // the order of time.
  std::stable_sort(alike.begin(), alike.end(), [](const Stored& a, const Stored& b) { return a.at > b.at; });
  for (const Stored& s : alike) {
    if (static_cast<int>(found.size()) >= max) break;
    if (s.at.secsTo(newest) > since) continue;
    if (serviceNow.isValid()) {
      const QDateTime utc = serviceNow.toUTC();
      if (s.at < utc.addSecs(-since - kZoneBehindSecs) || s.at > utc.addSecs(kZoneAheadSecs + slack)) continue;
    }
    found.push_back(s.order);
  }
  return found;
}

}  // namespace

std::vector<UnsureCandidate> UnsureCandidates(const std::string& listReply, const UnsureSend& unsure,
                                              const QDateTime& now, const QDateTime& serviceNow) {
  const std::string head = TagValue("ORDERH_DATA", unsure.body);
  return StoredSince(listReply, unsure.at, now, serviceNow, kUnsureMaxCandidates, &head);
}

std::vector<UnsureCandidate> JournalCandidates(const std::string& listReply, const std::string& saved,
                                               const QDateTime& now, const QDateTime& serviceNow) {
  return StoredSince(listReply, saved, now, serviceNow, kJournalMaxCandidates, nullptr);
}

QDateTime ServiceTimeOf(const std::string& dateHeader) {
  // Qt reads the zone of RFC 2822 only as an offset; HTTP always writes "GMT".
  QString text = QString::fromStdString(dateHeader);
  if (text.endsWith(QLatin1String(" GMT"))) text.replace(text.size() - 3, 3, QStringLiteral("+0000"));
  const QDateTime t = QDateTime::fromString(text, Qt::RFC2822Date);
  return t.isValid() ? t.toUTC() : QDateTime();
}

bool StoredOrderHoldsLines(const std::string& body, const std::string& openReply) {
  if (!ReplySucceeded(openReply)) return false;
  const std::string sentLines = TagValue("ORDERL_DATA", body);
  const std::string storedLines = TagValue("ORDERL_DATA", openReply);
  const ReplyReader stored(storedLines);
  const RecordFields fields({"OL_GC", "OL_GN", "OL_GBOX"});
  std::vector<std::vector<std::string>> held;
  std::vector<std::string> f;
  for (std::size_t r = 0; !stored.Record(r).empty(); ++r) {
    fields.Read(stored.Record(r), f);
    held.push_back(f);
  }
  const int lines = std::atoi(TagValue("OH_RCOUNT", TagValue("ORDERH_DATA", body)).c_str());
  for (int r = 0; r < lines; ++r) {
    fields.Read(TagValue("OLD_" + std::to_string(r), sentLines), f);
    const bool direct = f[0] == kDirectCode;
    const bool in = std::any_of(held.begin(), held.end(), [&](const std::vector<std::string>& h) {
      return TrimBlanks(h[0]) == TrimBlanks(f[0]) && (!direct || (SameText(h[1], f[1]) && SameText(h[2], f[2])));
    });
    if (f[0].empty() || !in) return false;
  }
  return lines > 0;
}

bool StoredOrderMatches(const std::string& body, const std::string& openReply) {
  if (!ReplySucceeded(openReply)) return false;
  const std::string sentHead = TagValue("ORDERH_DATA", body);
  const std::string head = TagValue("ORDERH_DATA", openReply);
  const std::string count = TagValue("OH_RCOUNT", sentHead);
  if (TrimBlanks(TagValue("OH_RCOUNT", head)) != count || !SameText(TagValue("OH_DD", head), TagValue("OH_DD", sentHead)) ||
      !SameText(TagValue("OH_NOTE", head), TagValue("OH_NOTE", sentHead)))
    return false;
  const std::string sentLines = TagValue("ORDERL_DATA", body);
  const std::string storedLines = TagValue("ORDERL_DATA", openReply);
  const ReplyReader stored(storedLines);
  const RecordFields fields({"OL_GC", "OL_GN", "OL_GBOX", "OL_LC", "OL_LN"});
  std::vector<std::string> a, b;
  const int lines = std::atoi(count.c_str());
  for (int r = 0; r < lines; ++r) {
    const std::string sent = TagValue("OLD_" + std::to_string(r), sentLines);
    const std::string record = stored.Record(static_cast<std::size_t>(r));
    if (sent.empty() || record.empty()) return false;
    fields.Read(sent, a);
    fields.Read(record, b);
    if (TrimBlanks(a[0]) != TrimBlanks(b[0]) || !SameQuantity(a[3], b[3]) || !SameText(a[4], b[4])) return false;
    if (a[0] == kDirectCode && (!SameText(a[1], b[1]) || !SameText(a[2], b[2]))) return false;
  }
  return true;
}

}  // namespace tarvik
