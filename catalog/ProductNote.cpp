#include "catalog/ProductNote.h"

#include <algorithm>

#include "net/ServiceRequests.h"
#include "wire/MessageFormat.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "session/Session.h"

namespace tarvik {

const char* const kNoticeCode = "999999";

int LoadProductNote(TDM& dm, const Seams& seams, const std::string& code, bool withMessage) {
  const std::string elements = MakeTag("GM_GC", code) + MakeTag("ORDERBY", "GM_NO ASC");
  dm.Catalogue.MemoReply = RequestGoodsMemo(seams.service, dm.MasterInfo.M_CODE, elements).reply;
  if (!ReplySucceeded(dm.Catalogue.MemoReply)) {
    seams.prompter.Show("전체 읽기 오류입니다\r\r다시 시도하십시요.");
    dm.Catalogue.MemoReply.clear();
    return -1;
  }
  long long count = TagInt("RESULT_RECORD_COUNT", dm.Catalogue.MemoReply);
  // A negative count from a broken reply is no lines at all.
  if (count <= 0) {
    dm.Catalogue.MemoReply.clear();
    if (withMessage) seams.prompter.Show("정보가 없는 제품입니다.");
    return 0;
  }
  return static_cast<int>(std::min<long long>(count, 1 << 30));
}

void FillNoteLines(NoteLines& lines, const std::string& reply, int count) {
  for (auto& l : lines) l.clear();
  const int n = std::clamp(count, 0, kNoteLineCount);
  if (n == 0) return;
  ReplyReader reader(reply);
  for (int i = 0; i < n; ++i) lines[static_cast<std::size_t>(i)] = TagValue("GM_NOTE", reader.Record(static_cast<std::size_t>(i)));
}

}  // namespace tarvik
