#pragma once
// Starting another copy of the program (the hand-overs of the self-update).
#include <string>
#include <vector>

namespace tarvik {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts program with args (each one argument, blanks and all) in workDir.
  // Returns false when the program could not be started.
  virtual bool Start(const std::string& program, const std::vector<std::string>& args,
                     const std::string& workDir) = 0;
};

Launcher& CurrentLauncher();      // QProcess::startDetached unless a test installed another
void SetLauncher(Launcher* l);    // not owned; nullptr restores the real one

}  // namespace tarvik
