// The update cycle with the real executables: installed -> work copy -> replaced and restarted with the note.
// Starts are traced to TARVIK_TRACE_START's file; as child subreaper the test reaps the detached ones.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/ServiceFixture.h"
#include "tests/update/UpdateSite.h"
#include "update/CRC32.h"

namespace tarvik::test { namespace {

struct TracedStart {
  pid_t pid = 0;
  std::vector<std::string> args;
};

std::vector<TracedStart> ReadTrace(const std::string& path) {
  std::vector<TracedStart> starts;
  std::istringstream in(ReadFile(path));
  for (std::string line, field; std::getline(in, line);) {
    std::istringstream fields(line);
    TracedStart t;
    std::getline(fields, field, '\t');
    t.pid = static_cast<pid_t>(std::stol(field));
    while (std::getline(fields, field, '\t')) t.args.push_back(field);
    starts.push_back(t);
  }
  return starts;
}

// Ends and reaps pid if still our running child; one already reaped may be someone else's by now.

void EndProcess(pid_t pid) {
  if (pid <= 0 || ::waitpid(pid, nullptr, WNOHANG) != 0) return;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

TEST(UpdateCycle, InstalledProgramIsReplacedAndRestartedWithTheNote) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  UpdateSite site;  // its folders; the programs are the real one
  const std::string installed = site.programDir, published = site.root + "publish/";
  const std::string trace = site.root + "trace.txt", data = site.root + "data";
  QDir().mkpath(QString::fromStdString(published));

  // The installed program, and a changed one: the same binary with bytes appended.
  const std::string binary = ReadFile(TARVIK_CLIENT_BIN);
  ASSERT_FALSE(binary.empty());
  const std::string exe = installed + "TKClientI";
  std::ofstream(exe, std::ios::binary) << binary;
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(exe), QFile::permissions(TARVIK_CLIENT_BIN)));
  std::ofstream(published + "TKClientI", std::ios::binary) << binary << "\nappended to change the CRC\n";
  const std::uint32_t newCrc = FileCrc32(published + "TKClientI");
  ASSERT_NE(newCrc, FileCrc32(exe));

  ServiceProcess service(false, site.serverDir);
  ASSERT_TRUE(service.Running());
  const std::string note = "Done^at^10/Restart";
  ASSERT_EQ(service.Admin({"publish", "--update-dir", site.serverDir, "--program", published + "TKClientI",
                           "--message", note}, nullptr, false), 0);

  const auto t0 = std::chrono::steady_clock::now();
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
  for (const auto deadline = t0 + std::chrono::seconds(90); std::chrono::steady_clock::now() < deadline;) {
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {}
    if ((starts = ReadTrace(trace)).size() >= 3) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::string cwd;  // the last start's working folder, while it waits in the log-in
  if (starts.size() >= 3) {
    char buf[4096];
    const ssize_t n = ::readlink(("/proc/" + std::to_string(starts[2].pid) + "/cwd").c_str(), buf, sizeof buf - 1);
    if (n > 0) cwd.assign(buf, static_cast<std::size_t>(n));
  }
  for (const auto& s : starts) EndProcess(s.pid);
  EndProcess(first);
  while (::waitpid(-1, nullptr, WNOHANG) > 0) {}

  ASSERT_EQ(starts.size(), 3u) << ReadFile(trace);
  std::printf("update cycle: three starts observed after %.2f s; the last one %s\n", seconds,
              cwd.empty() ? "had ended by itself" : "was waiting and was ended by the test");
  const std::string workDir = data + "/Tarvik/update/";
  EXPECT_EQ(starts[0].pid, first);
  EXPECT_EQ(starts[0].args, std::vector<std::string>{exe});
  EXPECT_EQ(starts[1].args, (std::vector<std::string>{workDir + "TKClientI", "/TMPFILE", installed}));
  EXPECT_EQ(starts[2].args, (std::vector<std::string>{exe, "/SKIPCHECK", note}));
  EXPECT_TRUE(cwd.empty() || cwd + "/" == installed) << cwd;
  EXPECT_EQ(FileCrc32(exe), newCrc);
  EXPECT_TRUE(QFileInfo(QString::fromStdString(exe)).isExecutable());
}

}}  // namespace tarvik::test
