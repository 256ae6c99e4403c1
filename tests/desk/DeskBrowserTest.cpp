// The desk in chromium (python3-selenium, desk_browser.py); screenshots in build/desk-screenshots/<database>/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "service/store/Database.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

const char kPassword[] = "desk-admin-pass-1";

TEST(DeskBrowser, AnOrderArrivesIsTakenPrintedAndTheShopsReSendIsRefused) {
  for (const char* program : {"/usr/bin/chromium", "/usr/bin/chromedriver", "/usr/bin/python3"})
    if (::access(program, X_OK) != 0) GTEST_SKIP() << program << " is not installed";
  if (RunProgram(SpawnSpec{{"/usr/bin/python3", "-c", "import selenium"}}) != 0) GTEST_SKIP() << "no python3-selenium";
  const std::string desk = "127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort());
  ServiceSetup setup;
  setup.serveArgs = {"--desk-listen", desk};
  ServiceProcess service(setup);
  if (!service.Skipped().empty()) GTEST_SKIP() << service.Skipped();
  ASSERT_TRUE(service.Running());
  ASSERT_EQ(service.Admin({"demo-orders"}), 0);
  {  // The second shop's name is the shop's own text: hostile here.
    std::string error;
    auto db = service::Database::Open(service.DbPath(), 1, &error);
    auto c = db ? db->Acquire(&error) : nullptr;
    ASSERT_TRUE(c && c->Exec("UPDATE C_ SET C_NAME = ? WHERE C_CODE = 'C00002'",
                             {"<script>alert(1)</script>\"><img src=x onerror=alert(2)> 똠"}, &error))
        << error;
  }
  // The first admin as README makes it: the password as one line on standard input.
  const std::string add = "printf '%s\\n' '" + std::string(kPassword) + "' | '" TARVIK_SERVICE_BIN
                          "' desk-user add boss --role admin --db '" + service.DbPath() + "'";
  ASSERT_EQ(RunProgram(SpawnSpec{{"/bin/sh", "-c", add}}), 0);

  const std::string shots =
      std::string(TARVIK_BINARY_DIR "/desk-screenshots/") + (OnPostgres() ? "postgresql" : "sqlite");
  std::filesystem::create_directories(shots);
  ::setenv("DESK_URL", ("http://" + desk).c_str(), 1);
  ::setenv("DESK_USER", "boss", 1);
  ::setenv("DESK_PASSWORD", kPassword, 1);
  ::setenv("DESK_SHOTS", shots.c_str(), 1);
  ::setenv("TARVIK_CALL", TARVIK_CALL_BIN, 1);
  std::string out;
  const int code = RunProgram(
      SpawnSpec{{"/usr/bin/python3", TARVIK_SOURCE_DIR "/tests/desk/desk_browser.py"}, true}, &out);
  std::printf("%s", out.c_str());
  EXPECT_EQ(code, 0) << service.Log().substr(0, 4000);
}

}  // namespace
}  // namespace tarvik::test
