#pragma once
// Where the program keeps things on this platform. Every folder text ends
// with "/" (the original's "\"), and the original's "Icon\" and "icon\" are one
// folder, "icon/".
#include <string>

class QSaveFile;

namespace tarvik {

// A per-user writable folder of the application (no trailing "/"), created on
// demand: $XDG_DATA_HOME/Tarvik (~/.local/share/Tarvik).
std::string AppDataFolder();

// Where the basket journals are kept (no trailing "/"; not created here):
// QStandardPaths::AppLocalDataLocation + "/baskets".
std::string BasketJournalFolder();

// The file a reply announced as a download is written to (the original's
// "C:\downfile").
std::string DownloadFilePath();

// The icon folder below base (base ends with "/" or is empty for the current folder).
std::string IconFolder(const std::string& base);

// Folder part of a file path, with trailing "/" ("./" when there is none).
std::string FolderOf(const std::string& path);
// A path as the clerk is shown it: in the system's own form ("\\" on Windows).
std::string ShownPath(const std::string& path);
// File name part of a path.
std::string FileNameOf(const std::string& path);

// The per-user folder the self-update copies the program into (no trailing
// "/"), created on demand: the user's Templates folder on Windows
// (FOLDERID_Templates), AppDataFolder() + "/update" elsewhere.
std::string PerUserWorkFolder();

// Renames from over to in one step (to is replaced when it exists). On
// Windows a program file that is still running cannot be replaced: the
// rename is tried again for a few seconds while the old process ends.
bool ReplaceFileWith(const std::string& from, const std::string& to);

// Appends text to the file at path (created when missing) in one write, so
// that lines of several processes never interleave; failures are ignored.
void AppendToFile(const std::string& path, const std::string& text);

// Writes bytes to path through a temporary file beside it (QSaveFile), so path
// holds the old bytes or the new ones, never a part; on failure no temporary
// file is left.
bool WriteFileReplacing(const std::string& path, const std::string& bytes);

// Replaces the target of file, open for writing, with what was written to it,
// but only when all of it, size bytes, is in the file; otherwise the target
// stays as it was and the temporary file goes. True when it was replaced.
bool CommitWhole(QSaveFile& file, long long size);

// Copies every plain file of source into target (both end with "/"), creating
// target (one level) when missing and replacing files there. False at the
// first failed copy.
bool CopyFolderFiles(const std::string& source, const std::string& target);

}  // namespace tarvik
