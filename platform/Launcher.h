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

// The program's launcher: QProcess::startDetached.
class ProcessLauncher : public Launcher {
 public:
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& workDir) override;
};

}  // namespace tarvik
