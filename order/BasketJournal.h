#pragma once
// The basket kept on disk while it is being written, so that a crash, a power
// cut or a killed program does not lose it: one small file per supplier and
// orderer, replaced whole (QSaveFile: the old file or the new one, never a
// part) at every change of the draft.
//
// File "basket-<supplier>-<orderer>.json" (the codes with every character
// other than A-Z, a-z, 0-9 written as %XX), UTF-8 JSON:
//   {
//     "format": "tarvik-basket", "version": 1,
//     "supplier": M_CODE, "orderer": C_CODE,
//     "saved": "yyyy-MM-ddTHH:mm:ss" (local time of the write),
//     "opened": {"code", "date", "time", "status", "sendCount",
//                "storedSendCount" (missing in older files: sendCount)},
//     "deliveryDate", "note", "beingWritten", "selected" (row index),
//     "lines": [{"code", "name", "box", "quantity", "note"}, ...] (row order),
//     "unsureSend": {"body", "at", "fromJournal"}   (only while a send's
//                   outcome is unknown, or a left journal's was not checked)
//   }
// Texts are stored exactly as the draft holds them (blanks included).
#include <string>

namespace tarvik {

class OrderDraft;

class BasketJournal {
 public:
  // folder (no trailing "/") is created when the first journal is written.
  BasketJournal(std::string folder, const std::string& supplier, const std::string& orderer);

  const std::string& Path() const { return path_; }
  bool Exists() const;

  // Writes the whole draft. False when the file could not be written (the
  // file on disk is then the previous one).
  bool Save(const OrderDraft& draft) const;
  // Removes the journal. True when no journal is left.
  bool Remove() const;

  enum class ReadResult { Missing, Read, Unreadable };
  // Reads the journal into draft, replacing its contents (its change hook
  // stays). Unreadable: not JSON, another format, a newer version, another
  // supplier or orderer, more than 99 lines, a line without a code; draft is
  // then untouched. saved, when given, gets the time of the write.
  ReadResult Read(OrderDraft& draft, std::string* saved = nullptr) const;

  // Renames the journal aside as "<file>.unreadable-yyyyMMdd-HHmmss" (with
  // "-2", "-3" ... when taken). The new path, or empty when it could not be
  // renamed.
  std::string SetAside() const;

  // The file's text for a draft (what Save writes), with the given write time.
  std::string Text(const OrderDraft& draft, const std::string& saved) const;

 private:
  std::string folder_;
  std::string supplier_;
  std::string orderer_;
  std::string path_;
};

}  // namespace tarvik
