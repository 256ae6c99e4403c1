#pragma once
// The update server's folder, as it is served. `publish` (admin/Admin.h)
// writes each update as a release folder of its own (DIR/releases/r-...:
// tkclienti.ini, DATA/, DATA/IMAGE/) and then points DIR/current at it with
// one rename, so every instance serving DIR switches from one whole release
// to the next: nobody is served a new manifest beside an old file, and a
// publish that fails half-way changes nothing. A folder without DIR/current
// is served as it is (the files directly below DIR).
#include <string>

namespace tarvik::service {

// The file below updateDir for the path after "/update/" (links resolved), or
// empty when the path is not one the update server gives out ("..", ".",
// empty segments, backslashes, NUL, a file that is missing or lies outside
// the folder).
std::string UpdateFilePath(const std::string& updateDir, const std::string& relative);

}  // namespace tarvik::service
