#pragma once
// The running program as others see it: a lock file per basket (one program
// per supplier and orderer), the mark the installer looks for before it
// replaces or removes the program, and raising another copy's window.
#include <memory>
#include <string>

class QLockFile;

namespace tarvik {

// Holds the lock file at path (QLockFile) for as long as it lives. A lock
// left by a program that no longer runs (killed, crashed) is taken over.
class HeldLock {
 public:
  explicit HeldLock(const std::string& path);
  ~HeldLock();
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

  bool Held() const { return held_; }
  // The process id of the running program that holds it (0 when unknown or
  // when this one holds it).
  long long Holder() const { return holder_; }

 private:
  std::unique_ptr<QLockFile> lock_;
  bool held_ = false;
  long long holder_ = 0;
};

// The name the installer and uninstaller ask Windows for ("TarvikTKClientI"):
// while a program holds it, they ask the clerk to close it first.
extern const char* const kRunningMark;
// Marks this process as a running program until it ends (Windows: a named
// mutex; elsewhere nothing).
void MarkProgramRunning();

// Brings the main window of the program with process id pid to the front
// (restored when minimized). False when it could not (or where the window
// system does not let a program do so).
bool BringProgramForward(long long pid);

}  // namespace tarvik
