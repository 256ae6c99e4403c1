#pragma once
// The update server's folder. `publish` writes each update as a release
// folder of its own (DIR/releases/r-...: tkclienti.ini, DATA/, DATA/IMAGE/)
// and then points DIR/current at it with one rename, so every instance
// serving DIR switches from one whole release to the next: nobody is served
// a new manifest beside an old file, and a publish that fails half-way
// changes nothing. A folder without DIR/current is served as it is (the
// files directly below DIR).
#include <iosfwd>
#include <string>
#include <vector>

namespace tarvik::service {

// The file below updateDir for the path after "/update/" (links resolved), or
// empty when the path is not one the update server gives out ("..", ".",
// empty segments, backslashes, NUL, a file that is missing or lies outside
// the folder).
std::string UpdateFilePath(const std::string& updateDir, const std::string& relative);

// The whole file at path into data (bytes as they are); false when it cannot
// be read. Also for the files the admin commands read.
bool ReadWholeFile(const std::string& path, std::string& data);

// The admin command `publish`: writes the program, modules and images and the
// manifest tkclienti.ini as a new release of the update folder and makes it
// the current one at once.
int AdminPublish(const std::string& updateDir, const std::string& program,
                 const std::vector<std::string>& modules, const std::vector<std::string>& images,
                 const std::string& message, std::ostream& out, std::ostream& err);

}  // namespace tarvik::service
