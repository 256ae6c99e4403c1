#pragma once
// The replacement pass of the self-update runs from a copy of the program
// folder's files in the work folder, without its sub-folders; on Windows Qt's
// plugins (platforms\, styles\) are in such sub-folders. Called before the
// QApplication is made: with "/TMPFILE FOLDER" on the command line, Qt also
// looks for its plugins in FOLDER. Elsewhere it does nothing.
namespace tarvik {

void UseProgramFolderPlugins();

}  // namespace tarvik
