#pragma once
// Request texts of the service commands, built as the client builds them.
#include <string>

#include "net/MessageFormat.h"

namespace tarvik::test {

// Full header: CALL_INDEX, COMMAND, DB_KEY, then the rest.
inline std::string Full(const std::string& command, const std::string& dbKey,
                        const std::string& rest) {
  return MakeTag("CALL_INDEX", "240131-2") + MakeTag("COMMAND", command) +
         MakeTag("DB_KEY", dbKey) + rest;
}
// Short header: COMMAND, DB_KEY.
inline std::string Short(const std::string& command, const std::string& dbKey,
                         const std::string& rest) {
  return MakeTag("COMMAND", command) + MakeTag("DB_KEY", dbKey) + rest;
}
inline std::string Same(const std::string& field, const std::string& key) {
  return MakeTag("SAME_FIELD", field) + MakeTag("SAME_KEY", key);
}
inline std::string Like(const std::string& field, const std::string& key) {
  return MakeTag("LIKE_FIELD", field) + MakeTag("LIKE_KEY", key);
}
inline std::string OrderBy(const std::string& list) { return MakeTag("ORDERBY", list); }

inline const char* kGoodsOrder = "G_GPSORT1 ASC,G_GPSORT2 ASC,G_SORT ASC,G_NAME ASC";

}  // namespace tarvik::test
