#include <windows.h>

#include <QString>

#include "platform/RunningProgram.h"

namespace tarvik {
namespace {

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK Visit(HWND w, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  // The program's main window: its own, shown, owned by no other window.
  if (pid == s->pid && IsWindowVisible(w) && !GetWindow(w, GW_OWNER)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void MarkProgramRunning() {
  // Never closed: Windows drops it when the process ends, crash or not.
  CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(QString::fromLatin1(kRunningMark).utf16()));
}

bool BringProgramForward(long long pid) {
  if (pid <= 0) return false;
  Search s{static_cast<DWORD>(pid), nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return false;
  // This process was just started by the clerk, so it may hand the
  // foreground on.
  AllowSetForegroundWindow(static_cast<DWORD>(pid));
  if (IsIconic(s.found)) ShowWindow(s.found, SW_RESTORE);
  return SetForegroundWindow(s.found) != FALSE;
}

}  // namespace tarvik
