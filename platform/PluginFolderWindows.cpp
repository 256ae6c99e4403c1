#include <windows.h>
#include <shellapi.h>

#include <QCoreApplication>
#include <QDir>
#include <QString>

#include "platform/PluginFolder.h"

namespace tarvik {

void UseProgramFolderPlugins() {
  // The wide command line: the folder may hold characters the ANSI code page lacks.
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return;
  if (argc >= 3 && QString::fromWCharArray(argv[1]) == QStringLiteral("/TMPFILE"))
    QCoreApplication::addLibraryPath(QDir::fromNativeSeparators(QString::fromWCharArray(argv[2])));
  LocalFree(argv);
}

}  // namespace tarvik
