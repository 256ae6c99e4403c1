#pragma once
// The replacement pass of the self-update runs from a copy of the program
// folder's files in the work folder, without its sub-folders; on Windows Qt's
// plugins (platforms\, styles\) are in such sub-folders. Called before the
// QApplication is made, with the installed program's folder of a
// "/TMPFILE FOLDER" start (app/Startup.h, CommandLine): Qt also looks for its
// plugins there. An empty folder, and any folder elsewhere, does nothing.
#include <string>

namespace tarvik {

void UseProgramFolderPlugins(const std::string& folder);

}  // namespace tarvik
