#include "tests/support/ServiceFixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tarvik::test {

namespace {

// Forks and execs the service binary with args; its stdout goes to the pipe
// whose read end comes back in *readFd. The child dies with the test.
pid_t Spawn(const std::vector<std::string>& args, int* readFd) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
  std::vector<std::string> argv = {TARVIK_SERVICE_BIN};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(fds[1], STDOUT_FILENO);
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    return -1;
  }
  *readFd = fds[0];
  return pid;
}

int WaitExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One line from fd within the time limit; false on end of file or time-out.
bool ReadLine(int fd, std::string& line, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  line.clear();
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    char c;
    const ssize_t n = ::read(fd, &c, 1);
    if (n <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
}

}  // namespace

ServiceProcess::ServiceProcess(bool demoData, const std::string& updateDir)
    : updateDir_(updateDir) {
  const char* tmp = std::getenv("TMPDIR");
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvik-service.XXXXXX";
  if (!::mkdtemp(templ.data())) return;
  folder_ = templ + "/";
  if (demoData && Admin({"demo"}) != 0) return;
  Start();
}

ServiceProcess::~ServiceProcess() {
  Kill();
  ::unsetenv("TARVIK_SERVER");
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
}

bool ServiceProcess::Start() {
  std::vector<std::string> args = {"serve", "--listen", "127.0.0.1:0", "--db", DbPath()};
  if (!updateDir_.empty()) {
    args.push_back("--update-dir");
    args.push_back(updateDir_);
  }
  int fd = -1;
  pid_ = Spawn(args, &fd);
  if (pid_ < 0) return false;
  std::string line;
  const std::string prefix = "listening on 127.0.0.1:";
  const bool ok = ReadLine(fd, line, std::chrono::seconds(20)) &&
                  line.compare(0, prefix.size(), prefix) == 0;
  ::close(fd);  // the service writes nothing more to its output
  if (!ok) {
    Kill();
    return false;
  }
  port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + prefix.size()));
  ::setenv("TARVIK_SERVER", Address().c_str(), 1);
  return port_ != 0;
}

bool ServiceProcess::Running() const {
  if (pid_ <= 0 || port_ == 0) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
  // Reaped (or not ours): the number may be given to another process now, so
  // it is never signalled again.
  pid_ = -1;
  return false;
}

std::string ServiceProcess::Address() const { return "127.0.0.1:" + std::to_string(port_); }

void ServiceProcess::Kill() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    WaitExit(pid_);
  }
  pid_ = -1;
  port_ = 0;
}

bool ServiceProcess::Restart() {
  Kill();
  return Start();
}

int ServiceProcess::Admin(const std::vector<std::string>& args, std::string* out,
                          bool addDb) const {
  std::vector<std::string> all = args;
  if (addDb) {
    all.push_back("--db");
    all.push_back(DbPath());
  }
  int fd = -1;
  const pid_t pid = Spawn(all, &fd);
  if (pid < 0) return -1;
  std::string text;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (out) *out = text;
  return WaitExit(pid);
}

}  // namespace tarvik::test
