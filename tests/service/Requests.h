#pragma once
// Request texts of the service commands, built as the client builds them.
#include <set>
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

// The categories of a product reply. The client's category lists need each
// major (G_GPN1) and each (major, minor) pair to arrive in one run.
struct CategoryRuns {
  bool whole = true;
  std::string broken;  // the first pair that came back after another one
  std::size_t majors = 0, pairs = 0;
};
inline CategoryRuns CountCategoryRuns(const std::string& reply) {
  CategoryRuns runs;
  std::set<std::string> majors, pairs;
  std::string lastMajor = "\x01", lastPair = "\x01";
  ReplyReader reader(reply);
  for (long long i = 0, n = TagInt("RESULT_RECORD_COUNT", reply); i < n; ++i) {
    const std::string rec = reader.Record(static_cast<std::size_t>(i));
    const std::string major = TagValue("G_GPN1", rec);
    const std::string pair = major + "/" + TagValue("G_GPN2", rec);
    if ((major != lastMajor && !majors.insert(major).second) ||
        (pair != lastPair && !pairs.insert(pair).second)) {
      if (runs.whole) runs.broken = pair;
      runs.whole = false;
    }
    lastMajor = major;
    lastPair = pair;
  }
  runs.majors = majors.size();
  runs.pairs = pairs.size();
  return runs;
}

}  // namespace tarvik::test
