#include <windows.h>

#include "platform/ScreenFit.h"

namespace tarvik {
namespace {

using SetContextFn = BOOL(WINAPI*)(HANDLE);
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// Looked up at run time: older Windows lack both calls.
template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

ScreenRoom PrimaryScreenRoom() {
  // Per-monitor aware now, as the manifest and Qt make the process anyway:
  // otherwise Windows reports a scaled-down screen and 96 DPI.
  if (auto set = Lookup<SetContextFn>(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))
    set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  ScreenRoom room;
  const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return room;
  room.width = info.rcWork.right - info.rcWork.left;
  room.height = info.rcWork.bottom - info.rcWork.top;
  UINT dpiX = 0, dpiY = 0;
  auto forMonitor = Lookup<DpiForMonitorFn>(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
  if (forMonitor && SUCCEEDED(forMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY)) && dpiX > 0) {
    room.dpi = static_cast<int>(dpiX);
  } else if (HDC dc = GetDC(nullptr)) {
    room.dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
  }
  return room;
}

}  // namespace tarvik
