#pragma once
// The session of one run: supplier and orderer, the program folder with its
// user.ini, and the catalogue tables of the log-in. Screens and flows are handed the session (TDM&); there is
// no global one. (The text and date helpers are in text/Text.h, the folder
// helpers in platform/Folders.h.)
#include <string>
#include <vector>

#include "session/CatalogueTables.h"

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

  // The catalogue of the log-in.
  CatalogueTables Catalogue;

 private:
  std::string programDir_;
};

}  // namespace tarvik
