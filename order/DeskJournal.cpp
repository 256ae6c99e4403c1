// The order desk's basket journal: offered back at the start, kept at every
// change of the draft.
#include "order/BasketJournal.h"
#include "order/NotSold.h"
#include "order/OrderDesk.h"
#include "platform/Folders.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "session/Session.h"

namespace tarvik {
namespace {

// "2024-01-31T09:30:12" -> "24/01/31 09:30"; other texts as they are.
std::string SavedWhen(const std::string& iso) {
  if (iso.size() < 16 || iso[4] != '-' || iso[10] != 'T') return iso;
  return iso.substr(2, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(8, 2) + " " + iso.substr(11, 5);
}

}  // namespace

std::string RestoreQuestion(const OrderDraft& left, const std::string& saved, const std::string& note) {
  return "작성하던 발주 내용이 저장되어 있습니다.\r\r(제품 " + std::to_string(left.LineCount()) +
         "개, 저장 시각 " + SavedWhen(saved) + ")\r\r" + (note.empty() ? "" : note + "\r\r") +
         "불러오시겠습니까?\r\r[아니요]를 누르면 저장된 내용은 지워집니다.";
}

void OrderDesk::StartJournal(const std::string& folder) {
  journal_ = std::make_unique<BasketJournal>(folder, dm_.MasterInfo.M_CODE, dm_.CustomerInfo.C_CODE);
  OrderDraft left;
  std::string saved;
  switch (journal_->Read(left, &saved)) {
    case BasketJournal::ReadResult::Missing:
      break;
    case BasketJournal::ReadResult::Unreadable: {
      const std::string aside = journal_->SetAside();
      if (aside.empty()) {
        // Writing over it would lose it for good: this run keeps no journal.
        seams_.prompter.Show("저장해 둔 발주 내용을 읽을 수 없습니다.\r\r" + ShownPath(journal_->Path()) +
                    "\r\r이번에 작성하는 내용은 임시 저장되지 않습니다.");
        journal_.reset();
        return;
      }
      seams_.prompter.Show("저장해 둔 발주 내용을 읽을 수 없습니다.\r\r파일을 다음 이름으로 옮겨 두었습니다.\r\r" + ShownPath(aside));
      break;
    }
    case BasketJournal::ReadResult::Read:
      if (left.IsBlank()) {
        DropJournal();
      } else if (OfferLeftJournal(left, saved)) {
        draft_ = left;  // contents only: the draft keeps its own hook
        // The catalogue may have changed since the basket was written.
        const int notSold = MarkLinesNotSold(draft_, dm_.Catalogue.AllGoods, dm_.Catalogue.AllCount);
        port_.RedrawBasket(false);
        if (notSold > 0) seams_.prompter.Show(NotSoldMessage(notSold));
      } else {
        DropJournal();
      }
      break;
  }
  draft_.SetChangeHook([this] { KeepJournal(); });
}

bool OrderDesk::DropJournal() {
  if (!journal_ || journal_->Remove()) return true;
  seams_.prompter.Show("임시 저장해 둔 발주 내용을 지우지 못했습니다.\r\r" + ShownPath(journal_->Path()) +
              "\r\r폴더의 쓰기 권한을 확인하십시요.");
  return false;
}

void OrderDesk::KeepJournal() {
  if (!journal_) return;
  if (draft_.IsBlank()) {
    if (DropJournal()) journalWarned_ = false;
    return;
  }
  if (journal_->Save(draft_)) {
    journalWarned_ = false;
    return;
  }
  if (journalWarned_) return;
  journalWarned_ = true;
  seams_.prompter.Show("작성중인 발주 내용을 임시 저장하지 못했습니다.\r\r" + ShownPath(journal_->Path()) +
              "\r\r디스크 공간과 폴더의 쓰기 권한을 확인하십시요.");
}

}  // namespace tarvik
