#pragma once
// One running program per basket: two programs of one supplier and orderer
// would each offer the other's live basket as left by a crash, and each
// send it.
#include <memory>
#include <string>

namespace tarvik {

class HeldLock;
class Prompter;
class TDM;

// "같은 거래처와 발주자로 주문 프로그램이 이미 실행 중입니다. ..."
extern const char* const kBasketOpenElsewhere;

// Takes the basket of the logged-in supplier and orderer: the lock file
// beside its journal in journalFolder (created when missing), held as long
// as the result lives. When another running program holds it, brings that
// program's window to the front, tells the clerk (through prompter) the
// basket is open there and gives nothing: this run ends before its basket is
// looked at.
std::unique_ptr<HeldLock> ClaimBasket(const std::string& journalFolder, const TDM& dm, Prompter& prompter);

}  // namespace tarvik
