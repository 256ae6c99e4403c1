// The order desk's pages with 100,000 orders in the database, on SQLite and
// on PostgreSQL (its own server): the inbox, its script's look for changes,
// the search by shop, status, product and dates, one order, the messages.
// In-process through the desk's request handling, logged in as an admin;
// wall time per page, the desk's rendering included.
// The orders: 200 shops over 500 days (200 a day, 1 to 8 lines each, one
// message each); those of the last two days new or being received, the rest
// received.
//   build/tests/bench/DeskBench
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

#include "tests/desk/DeskTestKit.h"

namespace {

using namespace tarvik::test;
using tarvik::service::Connection;

constexpr int kOrders = 100000, kShops = 200, kPerDay = 200;

struct Fixture {
  std::unique_ptr<DeskDb> db;
  std::unique_ptr<Visitor> boss;
  std::string order;  // an order of the middle of the range
};
Fixture fixtures[2];  // SQLite, PostgreSQL

std::string Yymmdd(int daysAgo) {
  std::time_t t = std::time(nullptr) - static_cast<std::time_t>(daysAgo) * 86400;
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%y%m%d", &tm);
  return buf;
}

// Rows in batches of one multi-row INSERT each (few round trips on PostgreSQL).
class Batch {
 public:
  Batch(Connection& c, std::string head, int columns) : c_(c), head_(std::move(head)), columns_(columns) {}
  bool Add(std::vector<std::string> row) {
    for (auto& v : row) params_.push_back(std::move(v));
    return params_.size() < 400u * columns_ || Flush();
  }
  bool Flush() {
    if (params_.empty()) return true;
    std::string sql = head_ + " VALUES ";
    for (std::size_t r = 0; r < params_.size() / columns_; ++r) {
      sql += r ? ", (" : "(";
      for (std::size_t i = 0; i < columns_; ++i) sql += i ? ", ?" : "?";
      sql += ")";
    }
    std::string error;
    const bool ok = c_.Exec(sql, params_, &error);
    if (!ok) std::fprintf(stderr, "DeskBench: %s\n", error.c_str());
    params_.clear();
    return ok;
  }

 private:
  Connection& c_;
  std::string head_;
  std::size_t columns_;
  std::vector<std::string> params_;
};

struct BenchOrder {
  std::string code, day, hhmm, shop, status;
  int lines;
};

BenchOrder Nth(int i) {
  const int daysAgo = (kOrders - 1 - i) / kPerDay, minute = 480 + (i % kPerDay) * 3;
  char hhmm[8], seq[16];
  std::snprintf(hhmm, sizeof hhmm, "%02d%02d", minute / 60, minute % 60);
  std::snprintf(seq, sizeof seq, "%06d", i);
  const std::string day = Yymmdd(daysAgo);
  return {day + hhmm + "00" + seq + "BENCHMARKS", day, hhmm, "C" + std::to_string(10000 + i * 7 % kShops),
          daysAgo > 1 ? "O" : i % 3 ? "A" : "I", 1 + i % 8};
}

bool Fill(DeskDb& d, std::string& middle) {
  std::string error;
  auto c = d.db->Acquire(&error);
  Batch shops(*c, "INSERT INTO C_ (M_CODE, C_CODE, C_ID, C_NAME)", 4);
  Batch heads(*c, "INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MCOUNT, OH_CC, OH_IOG, OH_SG, OH_RCOUNT, OH_NOTE)", 10);
  Batch lines(*c, "INSERT INTO OL_ (OH_CODE, OL_NO, OL_CC, OL_GC, OL_LC)", 5);
  Batch notes(*c, "INSERT INTO OA_ (OA_CODE, OA_SC, OA_CC, OA_IOG, OA_STATUS, OA_WDATE, OA_WTIME, OA_RTIME, OA_MSG)", 9);
  if (!c->BeginWrite(&error)) return false;
  for (int s = 0; s < kShops; ++s) {
    const std::string n = std::to_string(10000 + s);
    if (!shops.Add({"S00001", "C" + n, "B" + n, "벤치 거래처 " + n})) return false;
  }
  if (!shops.Flush()) return false;
  for (int i = 0; i < kOrders; ++i) {
    const BenchOrder o = Nth(i);
    if (!heads.Add({o.code, "S00001", o.day, o.hhmm, "1", o.shop, o.status, "0", std::to_string(o.lines),
                    "벤치 주문 " + std::to_string(i)}))
      return false;
  }
  if (!heads.Flush()) return false;
  for (int i = 0; i < kOrders; ++i) {
    const BenchOrder o = Nth(i);
    for (int l = 0; l < o.lines; ++l) {
      char product[16];
      std::snprintf(product, sizeof product, "P%05d", 1 + (i * 13 + l * 101) % 2525);
      if (!lines.Add({o.code, std::to_string(l), o.shop, product, std::to_string(1 + l)})) return false;
    }
    if (!notes.Add({o.code + "M", "S00001", o.shop, "O", "W", o.day, o.hhmm, o.status == "O" ? o.day + o.hhmm : "",
                    "거래처\r\n\r\n벤치 거래처 에서\r\n\r\n발주가 왔습니다."}))
      return false;
    if (i == kOrders / 2) middle = o.code;
  }
  // The planner's numbers, as a database that grew to this size would have them.
  return lines.Flush() && notes.Flush() && c->Commit(&error) == tarvik::service::CommitOutcome::kStored && c->Exec("ANALYZE");
}

// Arg 0: database (0 SQLite, 1 PostgreSQL); each page a benchmark of its own.
void Measure(benchmark::State& state, const std::string& target) {
  Fixture& f = fixtures[state.range(0)];
  if (!f.boss) {
    state.SkipWithError(f.db && !f.db->Skipped().empty() ? f.db->Skipped().c_str() : "no database");
    return;
  }
  const std::string path = target == "ORDER" ? "/orders/" + f.order : target;
  // Every page measured shows rows: an empty answer would measure nothing.
  const std::string shows = target == "/messages?page=20" ? "class=\"text\"" : "<td class=\"n\">";
  for (auto _ : state) {
    const tarvik::test::Page page = f.boss->Get(path);
    if (page.status != 200 || page.body.find(shows) == std::string::npos) {
      state.SkipWithError(("no rows: " + path).c_str());
      break;
    }
  }
  state.SetLabel(state.range(0) ? "PostgreSQL" : "SQLite");
}

#define DESK_PAGE(name, target)                                            \
  void BM_##name(benchmark::State& state) { Measure(state, target); }       \
  BENCHMARK(BM_##name)->ArgName("postgres")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
DESK_PAGE(Inbox, "/inbox");
DESK_PAGE(InboxLook, "/inbox/lists?page=0&seen=0");
DESK_PAGE(SearchAll, "/search");
DESK_PAGE(SearchShop, "/search?shop=%EB%B2%A4%EC%B9%98+%EA%B1%B0%EB%9E%98%EC%B2%98+10123");
DESK_PAGE(SearchManyShops, "/search?shop=%EB%B2%A4%EC%B9%98");  // all 200 shops' names hold it
DESK_PAGE(SearchReceived, "/search?status=O&page=100");
DESK_PAGE(SearchProduct, "/search?product=P01234");
DESK_PAGE(SearchDates, "/search?from=" + std::string("20") + Yymmdd(300).substr(0, 2) + "-" + Yymmdd(300).substr(2, 2) +
                           "-" + Yymmdd(300).substr(4, 2) + "&to=20" + Yymmdd(290).substr(0, 2) + "-" +
                           Yymmdd(290).substr(2, 2) + "-" + Yymmdd(290).substr(4, 2));
DESK_PAGE(Order, "ORDER");
DESK_PAGE(Messages, "/messages?page=20");

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (int db = 0; db < 2; ++db) {
    Fixture& f = fixtures[db];
    const auto start = std::chrono::steady_clock::now();
    f.db = std::make_unique<DeskDb>(db ? TestDb::kPostgres : TestDb::kSQLite);
    if (!f.db->site || !Fill(*f.db, f.order)) continue;
    std::fprintf(stderr, "DeskBench: %s filled with %d orders in %.1f s\n", db ? "PostgreSQL" : "SQLite", kOrders,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    f.boss = std::make_unique<Visitor>(*f.db->site);
    if (f.boss->LogIn("boss", kBossPassword).status != 303) f.boss.reset();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (Fixture& f : fixtures) f = Fixture();  // before the PostgreSQL server goes
  return 0;
}
