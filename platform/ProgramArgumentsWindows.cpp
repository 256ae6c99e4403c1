#include <windows.h>
#include <shellapi.h>

#include <QString>

#include "platform/ProgramArguments.h"

namespace tarvik {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> args;
  int n = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n)) {
    for (int i = 0; i < n; ++i) args.push_back(QString::fromWCharArray(wide[i]).toStdString());
    LocalFree(wide);
  }
  if (args.empty()) args.emplace_back(argc > 0 ? argv[0] : "");
  return args;
}

}  // namespace tarvik
