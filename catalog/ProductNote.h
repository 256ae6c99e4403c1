#pragma once
// Product notes and the supplier's notices: numbered lines of the service's
// note store, asked for by product code (the notices by "999999").
#include <array>
#include <string>

namespace tarvik {

class TDM;
struct Seams;

constexpr int kNoteLineCount = 20;
// The code under which the supplier keeps its notices.
extern const char* const kNoticeCode;  // "999999"

using NoteLines = std::array<std::string, kNoteLineCount>;

// Asks the service for the note lines of code (RequestGoodsMemo); the reply
// stays in the session's MemoReply. Returns the number of lines
// (RESULT_RECORD_COUNT), 0 when there are none (MemoReply
// emptied; with withMessage "정보가 없는 제품입니다." is shown), or -1 after a
// read error (its message shown, MemoReply emptied).
int LoadProductNote(TDM& dm, const Seams& seams, const std::string& code, bool withMessage);

// Empties all 20 lines, then fills lines 0 .. min(count, 20)-1 with GM_NOTE of
// the records RDC_0 .. of reply. A longer reply keeps its first 20 lines.
void FillNoteLines(NoteLines& lines, const std::string& reply, int count);

}  // namespace tarvik
