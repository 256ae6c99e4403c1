// The basket journal after a crash: restored or set aside, never a crash; what is restored is kept again as read.
#include "tests/fuzz/FuzzCheck.h"
#include "order/BasketJournal.h"
#include "order/OrderDraft.h"

using namespace tarvik::fuzz;
using Result = tarvik::BasketJournal::ReadResult;

namespace {
std::string folder;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = TempFolder();
  return 0;
}

TARVIK_FUZZ(bytes) {
  const tarvik::BasketJournal journal(folder, "S00001", "C00001");
  WriteFile(journal.Path(), bytes);
  tarvik::OrderDraft draft;
  draft.AddLine("KEEP", "kept", "EA", "1", "");
  const std::string before = journal.Text(draft, "t");
  const Result read = journal.Read(draft);
  Check(read != Result::Missing, "a written journal is missing");
  if (read == Result::Unreadable)
    return Check(journal.Text(draft, "t") == before, "an unreadable journal changed the draft");
  Check(draft.LineCount() <= tarvik::kMaxDraftLines, "more lines than a basket has");
  // Kept again and read back: the same draft.
  const std::string text = journal.Text(draft, "t");
  WriteFile(journal.Path(), text);
  tarvik::OrderDraft again;
  Check(journal.Read(again) == Result::Read, "a kept journal cannot be read");
  Check(journal.Text(again, "t") == text, "a journal read back differs from " + Shown(bytes));
}
