#pragma once
// The HTTP side: POST on the ten /NET/*.php endpoints and GET of the update
// files below /update/.
#include <string>

namespace tarvik::service {

// Serves until SIGINT, SIGTERM or SIGHUP. listen is "IP:PORT" (PORT 0: a free
// one); prints "listening on IP:PORT" on stdout once listening. updateDir may
// be empty (then every /update/ file is missing). Returns the exit code.
int Serve(const std::string& listen, const std::string& dbPath, const std::string& updateDir);

// The file below updateDir for the path after "/update/", or empty when the
// path is not one the update server gives out ("..", ".", empty segments,
// backslashes, NUL).
std::string UpdateFilePath(const std::string& updateDir, const std::string& relative);

}  // namespace tarvik::service
