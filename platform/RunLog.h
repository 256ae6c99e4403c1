#pragma once
// Where Qt's warnings go: the Windows program has no console, so a support
// person finds them in a log file of the per-user data folder instead.
#include <string>

namespace tarvik {

// Sends every Qt message (qDebug ... qFatal) as one line "date time pid
// kind: text" to the end of path, besides where it went before. When the
// file has grown past maxBytes it is renamed to path + ".1" (replacing an
// older one) and a new file begun, so at most twice maxBytes stay.
// Returns path.
std::string KeepRunLog(const std::string& path, long long maxBytes = 1 << 20);

// The program's log: AppDataFolder() + "/TKClientI.log".
std::string RunLogPath();

}  // namespace tarvik
