#include "platform/PluginFolder.h"

namespace tarvik {

// Qt's plugins are the system's, wherever the program file runs from.
void UseProgramFolderPlugins(const std::string&) {}

}  // namespace tarvik
