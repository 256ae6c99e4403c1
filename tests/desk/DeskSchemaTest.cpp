// The schema's steps: once however many instances start, the pre-desk release's data kept; accounts from
// the command line.
#include <QTemporaryDir>
#include <filesystem>
#include <sstream>
#include <thread>

#include "service/desk/Accounts.h"
#include "service/store/Migrations.h"
#include "tests/desk/DeskTestKit.h"
#include "tests/support/Files.h"
#include "tests/support/Postgres.h"

namespace tarvik::test {
namespace {

namespace fs = std::filesystem;

// The pre-desk release's database (tests/desk/fixtures), a SQLite file in folder: its --db text.
std::string OldDatabase(const QTemporaryDir& folder) {
  if (OnPostgres()) {
    PostgresServer* pg = PostgresServer::Shared();
    const std::string url = pg->CreateDatabase(false), sql = "/tests/desk/fixtures/pre-desk-pg.sql";
    return pg->Sql(url.substr(url.rfind('/') + 1), ReadFile(TARVIK_SOURCE_DIR + sql)) ? url : std::string();
  }
  const std::string file = folder.filePath("service.db").toStdString();
  return fs::copy_file(TARVIK_SOURCE_DIR "/tests/desk/fixtures/pre-desk.db", file) ? file : std::string();
}

// Every row of every table of the release before the desk, as text.
std::string Rows(Connection& c) {
  const std::pair<const char*, int> tables[] = {{"M_", 5},  {"C_", 7},  {"G_", 11}, {"U_", 6},  {"OH_", 14}, {"OL_", 9},
                                                {"OA_", 10}, {"GM_", 4}, {"CM_", 3}, {"CG_", 3}, {"CPN_", 10}, {"CV_", 2}};
  std::string all, error;
  for (const auto& [table, columns] : tables) {
    std::string order = "1";
    for (int i = 2; i <= columns; ++i) order += ", " + std::to_string(i);
    service::Rows rows;
    EXPECT_TRUE(c.Query(std::string("SELECT * FROM ") + table + " ORDER BY " + order, {}, columns, rows, &error)) << error;
    all += std::string(table) + " " + std::to_string(rows.size()) + "\n";
    for (const auto& r : rows)
      for (const auto& v : r) all += v + "\t";
  }
  return all;
}

TEST(DeskSchema, TheReleaseBeforeTheDeskOpensAndServesWithNothingLost) {
  if (OnPostgres() && !PostgresServer::Installed()) GTEST_SKIP() << "PostgreSQL is not installed";
  const QTemporaryDir folder;
  std::string error;
  const std::string url = OldDatabase(folder);
  ASSERT_FALSE(url.empty());
  auto db = service::Database::Open(url, 4, &error);
  ASSERT_TRUE(db) << error;
  auto c = db->Acquire(&error);
  EXPECT_EQ(service::RecordedSchemaVersion(*c), 0);  // no steps were counted then
  const std::string before = Rows(*c);
  EXPECT_NE(before.find("OH_ 13\n"), std::string::npos);
  EXPECT_NE(before.find("OA_ 2\n"), std::string::npos);
  std::vector<std::thread> others;  // instances starting together: each step applied once
  for (int i = 0; i < 3; ++i)
    others.emplace_back([&db] {
      std::string e;
      auto mine = db->Acquire(&e);
      EXPECT_TRUE(mine && mine->EnsureSchema(&e)) << e;
    });
  EXPECT_TRUE(c->EnsureSchema(&error)) << error;
  for (auto& t : others) t.join();
  EXPECT_EQ(Rows(*c), before);
  service::Rows steps;
  ASSERT_TRUE(c->Query("SELECT SV_VERSION FROM SV_ ORDER BY SV_VERSION", {}, 1, steps, &error)) << error;
  EXPECT_EQ(steps, (service::Rows{{"1"}, {"2"}}));
  EXPECT_EQ(service::RecordedSchemaVersion(*c), service::LatestSchemaVersion());

  // The desk on it: the two orders sent over the wire, each with its message.
  std::istringstream password("boss-pass-1\n");
  std::ostringstream out, err;
  ASSERT_EQ(service::desk::DeskUserCommand(url, {"add", "boss"}, "admin", "S00001", password, out, err), 0) << err.str();
  c.reset();
  service::desk::DeskSite site{*db, DeskDb::Settings()};
  Visitor boss(site);
  ASSERT_EQ(boss.LogIn("boss", kBossPassword).status, 303);
  const std::string inbox = boss.Get("/inbox").body;
  EXPECT_NE(inbox.find("<h2>새 주문 (미접수) 4건</h2>"), std::string::npos);
  EXPECT_NE(inbox.find("두번째"), std::string::npos);
  EXPECT_NE(inbox.find("SHOP2 에서"), std::string::npos);
  if (OnPostgres()) PostgresServer::Shared()->DropDatabase(url);
}

TEST(DeskSchema, AccountsFromTheCommandLineTakeThePasswordAsOneLine) {
  DeskDb d;
  REQUIRE_RUNNING(d);
  struct Case {
    std::vector<std::string> args;
    const char* role;
    const char* input;
    int code;
  };
  const Case cases[] = {{{"add", "lee"}, "staff", "lee-pass-1\r\n", 0}, {{"add", "lee"}, "staff", "lee-pass-1\n", 1},
                        {{"add", "park"}, "staff", "short\n", 1},        {{"add", "park"}, "boss", "park-pass-1\n", 2},
                        {{"add", "p ark"}, "staff", "park-pass-1\n", 2}, {{"passwd", "lee"}, "", "lee-pass-2\n", 0},
                        {{"passwd", "nobody"}, "", "xx-pass-22\n", 1},    {{"remove", "boss"}, "", "", 1},
                        {{"remove", "lee"}, "", "", 0},                   {{"list"}, "", "", 0}};
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out, err;
    EXPECT_EQ(service::desk::DeskUserCommand(d.url(), c.args, c.role, "S00001", in, out, err), c.code)
        << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "") << ": " << err.str();
  }
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DU_"), "2");
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DA_ WHERE DA_WHO = '(명령줄)'"), "3");
}

}  // namespace
}  // namespace tarvik::test
