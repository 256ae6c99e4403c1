#pragma once
// The session of one run: supplier and orderer, the catalogue replies and
// tables, user.ini, and the small text,
// date and file utilities used across the program. Screens and flows are
// handed the session (TDM&); there is no global one.
#include <string>
#include <vector>

#include "session/GoodsRecord.h"

namespace tarvik {

// Field limits in CP949 bytes; a longer value is cut (never inside a character).
struct MasterInfoRec {
  static constexpr std::size_t kCode = 6, kId = 11, kMgu = 1, kDbType = 1, kBigo = 60;
  std::string M_CODE, M_ID, M_MGU, M_DBTYPE, M_BIGO;
};

struct CustomerInfoRec {
  static constexpr std::size_t kCode = 6, kId = 11, kName = 40, kSs = 11, kGu = 1;
  std::string C_CODE, C_ID, C_NAME, C_SS, C_GU;
  std::string C_MSG;  // unbounded
};

// value cut to maxBytes CP949 bytes.
std::string FitField(const std::string& value, std::size_t maxBytes);

class TDM {
 public:
  // programDir ends with "/"; user.ini lives there. Creates user.ini with both
  // keys empty when it is missing, then reads MASTER/ID and CUSTOMER/ID into
  // M_ID and C_ID (trailing blanks removed, cut to 11).
  explicit TDM(std::string programDir);
  TDM(const TDM&) = delete;
  TDM& operator=(const TDM&) = delete;

  const std::string& ProgramFolder() const { return programDir_; }
  std::string UserIniPath() const { return programDir_ + "user.ini"; }
  // Writes both keys exactly as given, only when user.ini exists. False when
  // the file is missing or cannot be written.
  bool WriteUserIni(const std::string& masterId, const std::string& customerId) const;

  MasterInfoRec MasterInfo;
  CustomerInfoRec CustomerInfo;

  // Catalogue replies and counts (count -1 after a refused read).
  std::string AllReply;
  long long AllCount = 0;
  int AllMajorCount = 99;
  int AllGroupCount = 999;
  std::string TradedReply;
  long long TradedCount = 0;
  int TradedMajorCount = 99;
  int TradedGroupCount = 999;
  long long ShownCount = 0;
  std::string MemoReply;

  // Fixed-capacity tables, allocated once for the run.
  std::vector<GoodsRecord> AllGoods;       // kGoodsCapacity rows
  std::vector<GoodsRecord> TradedGoods;    // kGoodsCapacity rows
  std::vector<GoodsRecord> ShownGoods;     // kGoodsCapacity rows
  std::vector<std::string> AllMajors;      // kMajorCapacity entries
  std::vector<std::string> TradedMajors;   // kMajorCapacity entries
  std::vector<CategoryPair> AllGroups;     // kGroupCapacity entries
  std::vector<CategoryPair> TradedGroups;  // kGroupCapacity entries

 private:
  std::string programDir_;
};

// --- utilities -------------------------------------------------------------

std::string TrimRightBlanks(const std::string& s); // code 32 only
std::string TrimLeftBlanks(const std::string& s);  // code 32 only
std::string TrimBlanks(const std::string& s);      // code 32 only, both ends
std::string FormatYymmdd(const std::string& s);    // "240131" -> "24/01/31"
// Why text is no valid yymmdd (trailing blanks removed first), worded for a
// caller to show: "날짜가 정확하지 않습니다.\r\r" + 13 blanks + text, or
// "검색할 날짜가 없습니다." for an empty text; empty when it is valid.
std::string YymmddProblem(const std::string& text, bool allowEmpty);
inline bool CheckYymmdd(const std::string& text, bool allowEmpty) { return YymmddProblem(text, allowEmpty).empty(); }
bool StartsWithOtherChar(const std::string& s);
// Text after the first startMarker up to the first endMarker (any length).
// Empty when a marker is missing or the end marker comes first.
std::string TextBetween(const std::string& text, const std::string& startMarker,
                        const std::string& endMarker);
// Copies every plain file of source into target (both end with "/"), creating
// target (one level) when missing and replacing files there. False at the
// first failed copy.
bool CopyFolderFiles(const std::string& source, const std::string& target);
// A per-user writable folder of the application (no trailing "/"), at most
// 260 bytes; the update work folder is this plus "/".
std::string SpecialFolderPath();

}  // namespace tarvik
