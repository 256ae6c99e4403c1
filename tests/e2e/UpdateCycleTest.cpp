// The whole update cycle with the real executables: the installed program
// hands over to its copy in the work folder, the copy replaces the installed
// file with the published one and starts it again with "/SKIPCHECK" and the
// note. Each start appends its pid and arguments to TARVIK_TRACE_START's
// file; as a child subreaper the test reaps (and ends) the detached starts.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ServiceFixture.h"
#include "tests/update/UpdateSite.h"
#include "update/CRC32.h"

namespace {

using Clock = std::chrono::steady_clock;
using tarvik::test::ReadFile;

struct TracedStart {
  pid_t pid = 0;
  std::vector<std::string> args;
};

// One line per start: the process id, then the arguments, tab-separated (the
// paths of this test hold nothing that the trace escapes).
std::vector<TracedStart> ReadTrace(const std::string& path) {
  std::vector<TracedStart> starts;
  std::istringstream in(ReadFile(path));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string field;
    TracedStart t;
    std::getline(fields, field, '\t');
    t.pid = static_cast<pid_t>(std::stol(field));
    while (std::getline(fields, field, '\t')) t.args.push_back(field);
    starts.push_back(t);
  }
  return starts;
}

void ReapChildren() {
  while (::waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

// Ends pid when it is still a running child of this process (the detached
// starts are reparented here) and reaps it. A pid already reaped is left
// alone: by now it may be someone else's.
void EndProcess(pid_t pid) {
  if (pid <= 0 || ::waitpid(pid, nullptr, WNOHANG) != 0) return;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

std::string LinkTarget(const std::string& link) {
  char buf[4096];
  const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

TEST(UpdateCycle, InstalledProgramIsReplacedAndRestartedWithTheNote) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  QTemporaryDir tmp;
  const std::string root = tmp.path().toStdString() + "/";
  const std::string installed = root + "installed client/";
  const std::string updateDir = root + "srv/";
  const std::string published = root + "publish/";
  const std::string trace = root + "trace.txt";
  const std::string data = root + "data";
  for (const auto& d : {installed, updateDir, published}) QDir().mkpath(QString::fromStdString(d));

  // The installed program, and a changed one: the same binary with bytes appended.
  const std::string binary = ReadFile(TARVIK_CLIENT_BIN);
  ASSERT_FALSE(binary.empty());
  const std::string exe = installed + "TKClientI";
  std::ofstream(exe, std::ios::binary) << binary;
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(exe),
                                    QFile::permissions(TARVIK_CLIENT_BIN)));
  std::ofstream(published + "TKClientI", std::ios::binary) << binary << "\nappended to change the CRC\n";
  const std::uint32_t newCrc = tarvik::FileCrc32(published + "TKClientI");
  ASSERT_NE(newCrc, tarvik::FileCrc32(exe));

  tarvik::test::ServiceProcess service(false, updateDir);
  ASSERT_TRUE(service.Running());
  const std::string note = "Done^at^10/Restart";
  ASSERT_EQ(service.Admin({"publish", "--update-dir", updateDir, "--program", published + "TKClientI",
                           "--message", note},
                          nullptr, false),
            0);

  const auto t0 = Clock::now();
  const pid_t first = ::fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    if (::chdir(installed.c_str()) != 0) ::_exit(120);
    ::setenv("TARVIK_TRACE_START", trace.c_str(), 1);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    ::_exit(121);
  }

  // Three starts: the installed program, its copy, the installed program again.
  std::vector<TracedStart> starts;
  const auto deadline = Clock::now() + std::chrono::seconds(90);
  while (Clock::now() < deadline) {
    ReapChildren();
    starts = ReadTrace(trace);
    if (starts.size() >= 3) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  std::string cwd;
  if (starts.size() >= 3) cwd = LinkTarget("/proc/" + std::to_string(starts[2].pid) + "/cwd");
  for (const auto& s : starts) EndProcess(s.pid);
  EndProcess(first);
  ReapChildren();

  ASSERT_EQ(starts.size(), 3u) << ReadFile(trace);
  std::printf("update cycle: three starts observed after %.2f s; the last one %s\n", seconds,
              cwd.empty() ? "had ended by itself" : "was waiting and was ended by the test");
  EXPECT_EQ(starts[0].pid, first);
  EXPECT_EQ(starts[0].args, std::vector<std::string>{exe});

  const std::string workDir = data + "/Tarvik/update/";
  EXPECT_EQ(starts[1].args, (std::vector<std::string>{workDir + "TKClientI", "/TMPFILE", installed}));

  EXPECT_EQ(starts[2].args, (std::vector<std::string>{exe, "/SKIPCHECK", note}));
  // Its working folder, when it was still there to be asked (it waits in the log-in).
  if (!cwd.empty()) {
    EXPECT_EQ(cwd + "/", installed);
  }

  EXPECT_EQ(tarvik::FileCrc32(exe), newCrc);
  EXPECT_TRUE(QFileInfo(QString::fromStdString(exe)).isExecutable());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(installed + "NEW_TKClientI")));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(workDir + "TKClienti.dat")));
}

}  // namespace
