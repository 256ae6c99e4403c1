// The basket journal read back after a crash: whatever the file holds, it is
// restored or set aside, never a crash; what is restored is kept again
// exactly as read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "order/BasketJournal.h"
#include "order/OrderDraft.h"

using tarvik::fuzz::Check;
using tarvik::fuzz::Fail;
using tarvik::fuzz::Shown;
using tarvik::fuzz::WriteFile;

namespace {
std::string folder;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = tarvik::fuzz::TempFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const tarvik::BasketJournal journal(folder, "S00001", "C00001");
  WriteFile(journal.Path(), bytes);
  tarvik::OrderDraft draft;
  draft.AddLine("KEEP", "kept", "EA", "1", "");
  const std::string before = journal.Text(draft, "t");
  switch (journal.Read(draft)) {
    case tarvik::BasketJournal::ReadResult::Missing:
      Fail("a written journal is missing");
    case tarvik::BasketJournal::ReadResult::Unreadable:
      Check(journal.Text(draft, "t") == before, "an unreadable journal changed the draft");
      return 0;
    case tarvik::BasketJournal::ReadResult::Read:
      break;
  }
  Check(draft.LineCount() <= tarvik::kMaxDraftLines, "more lines than a basket has");
  // Kept again and read back: the same draft.
  const std::string text = journal.Text(draft, "t");
  WriteFile(journal.Path(), text);
  tarvik::OrderDraft again;
  Check(journal.Read(again) == tarvik::BasketJournal::ReadResult::Read, "a kept journal cannot be read");
  Check(journal.Text(again, "t") == text, "a journal read back differs from " + Shown(bytes));
  return 0;
}
