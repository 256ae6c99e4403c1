#pragma once
// Child processes of a test: they die with the thread that started them
// (PR_SET_PDEATHSIG), so nothing a test starts outlives it.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace tarvik::test {

struct SpawnSpec {
  explicit SpawnSpec(std::vector<std::string> args, bool captureOutput = false,
                     std::string errorFile = std::string(), uid_t user = static_cast<uid_t>(-1),
                     gid_t group = static_cast<gid_t>(-1))
      : argv(std::move(args)), captureStdout(captureOutput), stderrFile(std::move(errorFile)), uid(user), gid(group) {}
  std::vector<std::string> argv;  // argv[0] is the program path
  bool captureStdout;             // standard output comes back through *stdoutFd
  std::string stderrFile;         // standard error is appended there when given
  uid_t uid;                      // run as this user and group when set (needs root)
  gid_t gid;
};

// The new child's pid, or -1. With captureStdout, *stdoutFd is the read end.
pid_t Spawn(const SpawnSpec& job, int* stdoutFd = nullptr);
// Waits for the child; its exit code, or -1 when it did not exit normally.
int WaitExit(pid_t pid);
// Whether the child has ended (and is reaped); pid is -1 after.
bool Ended(pid_t& pid);
// Sends signal, waits up to grace for the child to end, then SIGKILL; pid is -1 after.
void Stop(pid_t& pid, int signal, std::chrono::milliseconds grace = std::chrono::milliseconds(0));
// Runs a program to its end; its exit code (-1: it could not run), its
// standard output in *out when given.
int RunProgram(const SpawnSpec& job, std::string* out = nullptr);
// One line from fd within the time limit; false on end of file or time-out.
bool ReadLine(int fd, std::string& line, std::chrono::milliseconds limit);
// When the test runs as root: the user `nobody` (for servers that refuse
// root, such as PostgreSQL); uid/gid stay -1 otherwise.
void UnprivilegedUser(uid_t& uid, gid_t& gid);

}  // namespace tarvik::test
