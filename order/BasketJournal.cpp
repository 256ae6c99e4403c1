#include "order/BasketJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "order/OrderDraft.h"
#include "platform/Folders.h"
#include "platform/QtText.h"

namespace tarvik {
namespace {

constexpr const char* kFormat = "tarvik-basket";
constexpr int kVersion = 1;
// A journal is a few kilobytes even with 99 long lines; a huge file is no journal.
constexpr qint64 kMaxJournalBytes = 1 << 20;

std::string FileSafe(const std::string& code) {
  std::string out;
  for (unsigned char c : code) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

QString J(const std::string& s) { return Q(s); }
std::string Str(const QJsonObject& o, const char* key) { return S(o.value(QLatin1String(key)).toString()); }

}  // namespace

BasketJournal::BasketJournal(std::string folder, const std::string& supplier, const std::string& orderer)
    : folder_(std::move(folder)), supplier_(supplier), orderer_(orderer) {
  path_ = folder_ + "/basket-" + FileSafe(supplier) + "-" + FileSafe(orderer) + ".json";
}

bool BasketJournal::Exists() const { return QFile::exists(Q(path_)); }

std::string BasketJournal::Text(const OrderDraft& draft, const std::string& saved) const {
  QJsonObject opened{{"code", J(draft.OpenedCode)},
                     {"date", J(draft.OpenedDate)},
                     {"time", J(draft.OpenedTime)},
                     {"status", J(draft.OpenedStatus)},
                     {"sendCount", draft.SendCount},
                     {"storedSendCount", draft.StoredSendCount}};
  QJsonArray lines;
  for (int r = 0; r < draft.LineCount(); ++r) {
    const DraftLine& l = draft.Line(r);
    lines.append(QJsonObject{{"code", J(l.GoodsCode)},
                             {"name", J(l.GoodsName)},
                             {"box", J(l.GoodsBox)},
                             {"quantity", J(l.Quantity)},
                             {"note", J(l.LineNote)}});
  }
  QJsonObject root{{"format", kFormat},
                   {"version", kVersion},
                   {"supplier", J(supplier_)},
                   {"orderer", J(orderer_)},
                   {"saved", J(saved)},
                   {"opened", opened},
                   {"deliveryDate", J(draft.DeliveryDate)},
                   {"note", J(draft.Note)},
                   {"beingWritten", draft.BeingWritten},
                   {"selected", draft.Selected()},
                   {"lines", lines}};
  if (!draft.Unsure.Empty())
    root.insert("unsureSend", QJsonObject{{"body", J(draft.Unsure.body)},
                                          {"at", J(draft.Unsure.at)},
                                          {"fromJournal", draft.Unsure.fromJournal}});
  const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool BasketJournal::Save(const OrderDraft& draft) const {
  if (!QDir().mkpath(Q(folder_))) return false;
  const std::string saved = S(QDateTime::currentDateTime().toString(Qt::ISODate));
  return WriteFileReplacing(path_, Text(draft, saved));
}

bool BasketJournal::Remove() const {
  QFile f(Q(path_));
  return !f.exists() || f.remove();
}

BasketJournal::ReadResult BasketJournal::Read(OrderDraft& draft, std::string* saved) const {
  QFile f(Q(path_));
  if (!f.exists()) return ReadResult::Missing;
  if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxJournalBytes) return ReadResult::Unreadable;
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return ReadResult::Unreadable;
  const QJsonObject root = doc.object();
  const int version = root.value("version").toInt(-1);
  if (Str(root, "format") != kFormat || version < 1 || version > kVersion ||
      Str(root, "supplier") != supplier_ || Str(root, "orderer") != orderer_ ||
      !root.value("lines").isArray())
    return ReadResult::Unreadable;
  const QJsonArray lines = root.value("lines").toArray();
  if (lines.size() > kMaxDraftLines) return ReadResult::Unreadable;
  for (const QJsonValue& v : lines) {
    if (!v.isObject() || Str(v.toObject(), "code").empty()) return ReadResult::Unreadable;
  }
  const QJsonObject opened = root.value("opened").toObject();
  const int sendCount = opened.value("sendCount").toInt(0);
  const int stored = opened.value("storedSendCount").toInt(sendCount);
  if (sendCount < 0 || sendCount > 32767 || stored < 0 || stored > sendCount) return ReadResult::Unreadable;

  OrderDraft::ChangeBatch batch(draft);
  draft.ClearDraft();
  for (int r = 0; r < static_cast<int>(lines.size()); ++r) {
    const QJsonObject l = lines.at(r).toObject();
    draft.LoadLine(r, Str(l, "code"), Str(l, "name"), Str(l, "box"), Str(l, "quantity"), Str(l, "note"));
  }
  draft.SetOpened(Str(opened, "code"), Str(opened, "date"), Str(opened, "time"), Str(opened, "status"),
                  static_cast<short>(sendCount), static_cast<short>(stored));
  draft.SetDeliveryDate(Str(root, "deliveryDate"));
  draft.SetNote(Str(root, "note"));
  draft.SetBeingWritten(root.value("beingWritten").toBool(false));
  const QJsonObject unsure = root.value("unsureSend").toObject();
  if (!Str(unsure, "body").empty())
    draft.SetUnsure({Str(unsure, "body"), Str(unsure, "at"), unsure.value("fromJournal").toBool(false)});
  draft.Select(root.value("selected").toInt(0));
  if (saved) *saved = Str(root, "saved");
  return ReadResult::Read;
}

std::string BasketJournal::SetAside() const {
  const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
  QString target = Q(path_) + ".unreadable-" + stamp;
  for (int n = 2; QFile::exists(target) && n < 100; ++n)
    target = Q(path_) + ".unreadable-" + stamp + "-" + QString::number(n);
  if (QFile::exists(target) || !QFile::rename(Q(path_), target)) return std::string();
  return S(target);
}

}  // namespace tarvik
