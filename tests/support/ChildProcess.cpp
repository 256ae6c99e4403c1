#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tarvik::test {

pid_t Spawn(const SpawnSpec& job, int* stdoutFd) {
  int fds[2] = {-1, -1};
  if (job.captureStdout && ::pipe2(fds, O_CLOEXEC) != 0) return -1;
  std::vector<std::string> args = job.argv;
  std::vector<char*> cargv;
  for (auto& a : args) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (job.gid != static_cast<gid_t>(-1) && (::setgroups(0, nullptr) != 0 || ::setgid(job.gid) != 0)) ::_exit(126);
    if (job.uid != static_cast<uid_t>(-1) && ::setuid(job.uid) != 0) ::_exit(126);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // after the change of user, which clears it
    if (::getppid() != parent) ::_exit(127);
    if (job.captureStdout) ::dup2(fds[1], STDOUT_FILENO);
    const int err = job.stderrFile.empty() ? -1 : ::open(job.stderrFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (err >= 0) ::dup2(err, STDERR_FILENO);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  if (job.captureStdout) {
    ::close(fds[1]);
    if (pid >= 0 && stdoutFd) *stdoutFd = fds[0];
    else ::close(fds[0]);
  }
  return pid < 0 ? -1 : pid;
}

int WaitExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Ended(pid_t& pid) {
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0) return false;
  pid = -1;
  return true;
}

void Stop(pid_t& pid, int signal, std::chrono::milliseconds grace) {
  if (pid <= 0 || ::kill(pid, signal) != 0) return void(pid = -1);
  for (const auto until = std::chrono::steady_clock::now() + grace; !Ended(pid) && std::chrono::steady_clock::now() < until;)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (pid > 0 && ::kill(pid, SIGKILL) == 0) WaitExit(pid);
  pid = -1;
}

int RunProgram(const SpawnSpec& job, std::string* out) {
  SpawnSpec s = job;
  s.captureStdout = true;
  int fd = -1;
  const pid_t pid = Spawn(s, &fd);
  if (pid < 0) return -1;
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) != 0;) {
    if (n > 0) text.append(buf, static_cast<std::size_t>(n));
    else if (errno != EINTR) break;
  }
  ::close(fd);
  if (out) *out = text;
  return WaitExit(pid);
}

bool ReadLine(int fd, std::string& line, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  line.clear();
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    char c;
    if (r <= 0 || ::read(fd, &c, 1) <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
}

void UnprivilegedUser(uid_t& uid, gid_t& gid) {
  const passwd* pw = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
  uid = pw ? pw->pw_uid : static_cast<uid_t>(-1);
  gid = pw ? pw->pw_gid : static_cast<gid_t>(-1);
}

}  // namespace tarvik::test
