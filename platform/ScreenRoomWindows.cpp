#include <windows.h>

#include "platform/ScreenFit.h"

namespace tarvik {
namespace {

using SetContextFn = BOOL(WINAPI*)(HANDLE);
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

}  // namespace

ScreenRoom PrimaryScreenRoom() {
  // Per-monitor aware now, as the manifest and Qt make the process anyway:
  // otherwise Windows reports a scaled-down screen and 96 DPI.
  if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
    if (auto set = reinterpret_cast<SetContextFn>(GetProcAddress(user, "SetProcessDpiAwarenessContext")))
      set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  }
  ScreenRoom room;
  const HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return room;
  room.width = info.rcWork.right - info.rcWork.left;
  room.height = info.rcWork.bottom - info.rcWork.top;
  UINT dpiX = 0, dpiY = 0;
  HMODULE shcore = LoadLibraryW(L"shcore.dll");
  auto forMonitor = shcore ? reinterpret_cast<DpiForMonitorFn>(GetProcAddress(shcore, "GetDpiForMonitor")) : nullptr;
  if (forMonitor && SUCCEEDED(forMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY)) && dpiX > 0) {
    room.dpi = static_cast<int>(dpiX);
  } else if (HDC dc = GetDC(nullptr)) {
    room.dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
  }
  return room;
}

}  // namespace tarvik
