#include <QCoreApplication>
#include <QDir>
#include <QString>

#include "platform/PluginFolder.h"

namespace tarvik {

void UseProgramFolderPlugins(const std::string& folder) {
  if (!folder.empty()) QCoreApplication::addLibraryPath(QDir::fromNativeSeparators(QString::fromStdString(folder)));
}

}  // namespace tarvik
