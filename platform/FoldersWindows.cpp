#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <QDir>
#include <QString>

#include <string>

#include "platform/Folders.h"
#include "platform/QtText.h"

namespace tarvik {
namespace {

std::wstring Wide(const std::string& path) {
  return QDir::toNativeSeparators(Q(path)).toStdWString();
}

}  // namespace

std::string PerUserWorkFolder() {
  PWSTR found = nullptr;
  QString path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Templates, KF_FLAG_CREATE, nullptr, &found)))
    path = QDir::fromNativeSeparators(QString::fromWCharArray(found));
  CoTaskMemFree(found);
  if (path.isEmpty()) path = Q(AppDataFolder()) + QStringLiteral("/update");
  QDir().mkpath(path);
  return S(path);
}

bool ReplaceFileWith(const std::string& from, const std::string& to) {
  const std::wstring src = Wide(from), dst = Wide(to);
  // The process that ran the old file may still be ending: its image stays
  // locked until it has gone.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (MoveFileExW(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    const DWORD err = GetLastError();
    if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) return false;
    Sleep(100);
  }
  return false;
}

void AppendToFile(const std::string& path, const std::string& text) {
  // FILE_APPEND_DATA alone: every write goes to the end, in one piece.
  HANDLE h = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace tarvik
