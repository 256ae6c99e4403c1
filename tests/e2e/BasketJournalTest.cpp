// The real program under Xvfb (xdotool) killed with a basket and restarted: Yes brings it back (No: UnsureSendTest).
// Every wait is for what the program shows, never a fixed time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "net/ServiceRequests.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Files.h"
#include "tests/support/ServiceFixture.h"
#include "wire/MessageFormat.h"

namespace tarvik::test { namespace {

using namespace std::chrono_literals;

std::string Tool(const std::vector<std::string>& args) {  // xdotool's standard output
  std::vector<std::string> argv = {"/usr/bin/xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string out;
  RunProgram(SpawnSpec(argv, true), &out);
  return out;
}
void Keys(const std::vector<std::string>& keys) {  // to the window with the focus, in order
  for (const auto& k : keys) Tool({"key", k});
}
void Type(const std::string& text) { Tool({"type", "--delay", "40", text}); }
std::string Focused() {  // the top-level window that has the keyboard focus
  std::string id = Tool({"getwindowfocus"});
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
  return id;
}

struct Window {
  std::string id;
  int width = 0, height = 0;
  void Point(int x, int y, bool click = false) const {
    std::vector<std::string> a = {"mousemove", "--window", id, std::to_string(x), std::to_string(y)};
    if (click) a.insert(a.end(), {"click", "1"});
    Tool(a);
  }
};

std::vector<Window> Windows() {  // the program's visible windows
  std::vector<Window> found;
  std::istringstream ids(Tool({"search", "--onlyvisible", "--classname", "TKClientI"}));
  for (std::string id; std::getline(ids, id);) {
    Window w{id};
    std::istringstream shell(Tool({"getwindowgeometry", "--shell", id}));
    for (std::string kv; std::getline(shell, kv);) {
      if (kv.rfind("WIDTH=", 0) == 0) w.width = std::atoi(kv.c_str() + 6);
      if (kv.rfind("HEIGHT=", 0) == 0) w.height = std::atoi(kv.c_str() + 7);
    }
    if (w.width > 0) found.push_back(w);
  }
  return found;
}
bool Visible(const std::string& id) {
  for (const Window& w : Windows()) if (w.id == id) return true;
  return false;
}
bool Find(int minWidth, int maxWidth, Window& out) {  // the first visible window that wide
  for (const Window& w : Windows())
    if (w.width >= minWidth && w.width <= maxWidth) return out = w, true;
  return false;
}

// Xvfb on a random display: other sessions' X servers may share the abstract socket namespace but not /tmp.
struct Desktop {
  pid_t xvfb = -1;
  bool Start() {
    std::mt19937 rng(std::random_device{}());
    for (int attempt = 0; attempt < 5; ++attempt) {
      const std::string display = ":" + std::to_string(100 + rng() % 30000);
      int fd = -1;
      // -noreset: else the server resets (refusing connections) whenever its last client goes.
      xvfb = Spawn(SpawnSpec({"/usr/bin/Xvfb", display, "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten",
                              "tcp", "-noreset"}, true), &fd);
      std::string line;
      const bool up = xvfb > 0 && ReadLine(fd, line, 20s);
      if (fd >= 0) ::close(fd);
      if (up) return setenv("DISPLAY", display.c_str(), 1) == 0;
      Stop(SIGKILL);
    }
    return false;
  }
  void Stop(int sig) {
    if (xvfb > 0) ::kill(xvfb, sig), ::waitpid(xvfb, nullptr, 0);
    xvfb = -1;
  }
  ~Desktop() { Stop(SIGTERM); }
};

constexpr int kLoginWidth = 719, kMainWidth = 1150;

class KilledProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access("/usr/bin/Xvfb", X_OK) || ::access("/usr/bin/xdotool", X_OK))
      GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/setup-deps)";
    ASSERT_TRUE(service.Running());
    ASSERT_TRUE(tmp.isValid());
    root = tmp.path().toStdString() + "/";
    QDir().mkpath(QString::fromStdString(root + "shop"));
    program = root + "shop/TKClientI";
    ASSERT_TRUE(QFile::copy(TARVIK_CLIENT_BIN, QString::fromStdString(program)));
    ASSERT_TRUE(desktop.Start());
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
    journals = root + "data/" + "Tarvik\u2162 \uC8FC\uBB38\uD615" + "/baskets/";
  }
  void TearDown() override {
    Kill();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }

  // Starts the program and logs in; the main window is up (a question or the notices may be in front).
  void StartAndLogIn(const std::string& orderer, const std::string& password) {
    // No remembered IDs, so the log-in asks for all three.
    std::ofstream(root + "shop/user.ini") << "[MASTER]\r\nID=\r\n[CUSTOMER]\r\nID=\r\n";
    last = Window();
    pid = Spawn(SpawnSpec({program, "/SKIPCHECK"}));
    ASSERT_GT(pid, 0);
    Window login;
    ASSERT_TRUE(WaitFor(kLoginWidth, kLoginWidth, login)) << "no log-in screen";
    login.Point(360, 60);
    for (const std::string& field : {std::string("DEMO"), orderer, password}) Type(field), Keys({"Return"});
    ASSERT_TRUE(Until([&] { return Find(kMainWidth - 200, kMainWidth, main); })) << "no main window";
  }
  // Polls until done() holds while the program runs; the bound only keeps a hung program from hanging the test.
  bool Until(const std::function<bool()>& done) {
    for (const auto until = std::chrono::steady_clock::now() + 10min; std::chrono::steady_clock::now() < until;) {
      if (done()) return true;
      if (pid <= 0 || ::waitpid(pid, nullptr, WNOHANG) == pid) return pid = -1, done();
      std::this_thread::sleep_for(100ms);
    }
    return false;
  }
  // A window of the program that wide, once it has the keyboard focus.
  bool WaitFor(int minWidth, int maxWidth, Window& out) {
    return Until([&] { return Find(minWidth, maxWidth, out); }) && Until([&] { return Focused() == out.id; });
  }
  // Keys that close the dialog in front; back in the main window.
  void Dismiss(const std::vector<std::string>& keys) {
    Keys(keys);
    EXPECT_TRUE(Until([&] { return !Visible(last.id) && Focused() == main.id; })) << "the dialog stays";
    last = Window();
  }
  // The next window in front of the main one (message box, notices, quantity), once the one before has gone.
  Window Dialog() {
    Until([&] { return last.id.empty() || !Visible(last.id); });
    Window w;
    EXPECT_TRUE(WaitFor(100, kLoginWidth - 1, w)) << "no dialog";
    return last = w;
  }
  // Steps: k keys, t text typed, d the next dialog, x keys that close it, q a quantity into the next dialog.

  void Run(const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
      std::istringstream in(step.substr(1));
      std::vector<std::string> words;
      for (std::string w; in >> w;) words.push_back(w);
      if (step[0] == 'k') Keys(words);
      if (step[0] == 't') Type(step.substr(2));
      if (step[0] == 'd' || step[0] == 'q') Dialog();
      if (step[0] == 'q') Type(words.at(0)), words = {"Return"};
      if (step[0] == 'x' || step[0] == 'q') Dismiss(words);
    }
  }
  void Kill() {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);  // reaped: Until's waitpid finds nothing, and it waits on
    Until([] { return Windows().empty(); });  // until the X server has let them go
    pid = -1;
  }
  bool JournalHolds(const std::string& file, const std::vector<std::string>& pieces) {
    return Until([&] {
      const std::string text = ReadFile(file);
      bool all = !text.empty();
      for (const auto& p : pieces) all = all && text.find(p) != std::string::npos;
      return all;
    });
  }
  std::string Orders(const std::string& orderer) {
    const std::string cond = " OH_CC = '" + orderer + "' AND OH_SG='0' ";
    return RequestOrderList(Link(), "S00001",
                            cond + MakeTag("WHERE_OPTION", cond) + MakeTag("ORDERBY", "OH_SD DESC,OH_CODE DESC"))
        .reply;
  }
  ServiceLink Link() const { return {ParseServerAddress(service.Address())}; }

  ServiceProcess service;
  QTemporaryDir tmp;
  Desktop desktop;
  std::string root, program, journals;
  pid_t pid = -1;
  Window main, last;
};

TEST_F(KilledProgram, BasketComesBackOnYesAfterAKill) {
  const std::string shop1 = journals + "basket-S00001-C00001.json";
  const auto exists = [](const std::string& f) { return QFile::exists(QString::fromStdString(f)); };

  // A basket of three lines, a delivery date and a note, then SIGKILL.
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn("SHOP1", "1234"));
  const Window notices = Dialog();  // nothing left to offer: the notices come first
  Run({"x Escape", "k Down Return", "q 3", "k Down Return", "q 5", "k F5", "d", "t BULB", "k Return", "t EA",
       "k Return", "t 2", "x Return Escape"});
  main.Point(90, 98, true);  // EdtDD
  Type("240301");
  main.Point(250, 654, true);  // EdtNote
  Type("call first");
  ASSERT_TRUE(JournalHolds(shop1, {"\"P00002\"", "\"P00010\"", "\"BULB\"", "\"240301\"", "\"CALL FIRST\""}))
      << ReadFile(shop1);
  const std::string before = ReadFile(shop1);
  Kill();

  // SHOP1 again, Yes: the basket as it was, and F7 sends it (its lines: Guard.* and Desk.* in tests/order).
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn("SHOP1", "1234"));
  EXPECT_NE(Dialog().width, notices.width);  // the question
  Run({"k Return", "d", "x Escape"});  // 예, the notices
  EXPECT_EQ(ReadFile(shop1), before);
  Run({"k F7", "d", "x Return"});  // the sent message
  const std::string list = Orders("C00001");
  ASSERT_EQ(TagValue("RESULT_RECORD_COUNT", list), "1") << list;
  EXPECT_FALSE(exists(shop1));  // a sent basket leaves no journal
}

}}  // namespace tarvik::test
