#include "app/BasketClaim.h"

#include <QDir>

#include "order/BasketJournal.h"
#include "platform/QtText.h"
#include "platform/Prompter.h"
#include "platform/RunningProgram.h"
#include "session/Session.h"

namespace tarvik {

const char* const kBasketOpenElsewhere =
    "같은 거래처와 발주자로 주문 프로그램이 이미 실행 중입니다.\r\r열려 있는 창에서 발주를 계속하십시오.";

std::unique_ptr<HeldLock> ClaimBasket(const std::string& journalFolder, const TDM& dm, Prompter& prompter) {
  QDir().mkpath(Q(journalFolder));
  const BasketJournal journal(journalFolder, dm.MasterInfo.M_CODE, dm.CustomerInfo.C_CODE);
  auto lock = std::make_unique<HeldLock>(journal.Path() + ".lock");
  if (lock->Held()) return lock;
  prompter.Show(kBasketOpenElsewhere);
  BringProgramForward(lock->Holder());  // after the box: its OK made this the foreground program
  return nullptr;
}

}  // namespace tarvik
