// The desk's rules in-process: log-ins, sessions, CSRF, roles, marks, the live inbox, search, safe output.
#include "service/desk/DeskStore.h"
#include "service/desk/Markup.h"
#include "tests/desk/DeskTestKit.h"
#include "text/Csv.h"

namespace tarvik::test {
namespace {

using service::desk::MarkOrder;
using service::desk::MarkResult;
const auto npos = std::string::npos;

// The newest order the demo has in status, and its version as a page shows it.
struct Shown {
  std::string code, sends, changed;
};
Shown OrderIn(DeskDb& d, const std::string& status) {
  const Rows r = d.Query("SELECT OH_CODE, OH_MCOUNT, OH_MT FROM OH_ WHERE OH_IOG = ? AND OH_SG = '0'"
                         " ORDER BY OH_CODE DESC",
                         {status}, 3);
  return r.empty() ? Shown{} : Shown{r[0][0], r[0][1], r[0][2]};
}

class Desk : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_RUNNING(d); }
  Visitor In(const char* name, const char* password, const std::string& address = "10.0.0.9") {
    Visitor v(*d.site, address);
    EXPECT_EQ(v.LogIn(name, password).status, 303) << name;
    return v;
  }
  DeskDb d;
};

TEST_F(Desk, SessionsLiveOnTheServerInStrictHttpOnlyCookiesAndFailedLogInsSlowDown) {
  Visitor v(*d.site);
  EXPECT_EQ(v.Get("/inbox").location, "/login");
  const Page in = v.LogIn("boss", kBossPassword);
  ASSERT_EQ(in.status, 303);
  EXPECT_EQ(in.location, "/inbox");
  EXPECT_NE(in.setCookie.find("; HttpOnly; SameSite=Strict"), npos);
  EXPECT_EQ(in.setCookie.find("Secure"), npos);
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DS_ WHERE DS_KEY = ?", {v.cookies["tarvik_desk"]}), "0");  // a hash only
  EXPECT_EQ(v.Get("/inbox").status, 200);
  Visitor copy = v;  // the same cookie, kept elsewhere
  EXPECT_EQ(v.Post("/logout").location, "/login");
  EXPECT_EQ(copy.Get("/inbox").location, "/login");

  Visitor late(*d.site);
  ASSERT_EQ(late.LogIn("kim", kKimPassword).status, 303);
  d.Exec("UPDATE DS_ SET DS_EXPIRES = 1");
  EXPECT_EQ(late.Get("/inbox").location, "/login");
  EXPECT_EQ(late.Get("/inbox/lists").status, 401);  // the inbox's script goes to the log-in

  service::desk::DeskSite behindTls{*d.db, DeskDb::Settings()};
  behindTls.settings.tls = true;
  EXPECT_NE(Visitor(behindTls).LogIn("kim", kKimPassword).setCookie.find("; Secure"), npos);

  Visitor office(*d.site, "10.0.0.1");
  const Page wrong = office.LogIn("boss", "not-the-password");
  EXPECT_EQ(wrong.status, 401);
  EXPECT_TRUE(wrong.setCookie.empty());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(office.LogIn("boss", "wrong").status, 401);  // the fourth failure
  EXPECT_EQ(office.LogIn("boss", kBossPassword).status, 429);
  EXPECT_EQ(office.LogIn("kim", kKimPassword).status, 303);  // another account from the same address

  Visitor guesser(*d.site, "10.0.0.2");
  for (int i = 0; i < 11; ++i) EXPECT_EQ(guesser.LogIn("name" + std::to_string(i), "x").status, 401);
  EXPECT_EQ(guesser.LogIn("kim", kKimPassword).status, 429);
  EXPECT_EQ(Visitor(*d.site, "10.0.0.3").LogIn("kim", kKimPassword).status, 303);
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DA_ WHERE DA_WHAT = 'login-failed'"), "15");
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DA_ WHERE DA_WHAT IN ('login', 'logout')"), "6");
}

// Every change is refused without the session's own CSRF token; with it, staff work the orders and an admin
// also the staff.
TEST_F(Desk, EveryChangeWantsTheSessionsOwnCsrfTokenAndOnlyAnAdminChangesTheStaff) {
  Visitor boss = In("boss", kBossPassword), kim = In("kim", kKimPassword), lee(*d.site);
  boss.Get("/inbox");
  kim.Get("/inbox");
  const Shown a = OrderIn(d, "A");
  const std::string audited = d.One("SELECT COUNT(*) FROM DA_");
  const std::pair<std::string, Params> changes[] = {
      {"/logout", {}},
      {"/orders/" + a.code + "/mark", {{"to", "I"}, {"sends", a.sends}, {"changed", a.changed}}},
      {"/messages/1/read", {}},
      {"/staff/add", {{"name", "lee"}, {"role", "staff"}, {"password", "lee-pass-333"}}},
      {"/staff/kim/password", {{"password", "new-pass-4444"}}},
      {"/staff/kim/remove", {}}};
  for (const auto& [path, fields] : changes) {
    for (const std::string& token : {std::string(), std::string("x"), kim.csrf}) {
      Params f = fields;
      f["csrf"] = token;
      EXPECT_EQ(boss.Post(path, f).status, 403) << path << " with " << token;
    }
  }
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DA_"), audited);
  EXPECT_EQ(OrderIn(d, "A").code, a.code);
  EXPECT_EQ(boss.Get("/inbox").status, 200);
  Visitor stranger(*d.site);  // a log-in posted without the form's token
  EXPECT_EQ(stranger.Post("/login", {{"name", "boss"}, {"password", kBossPassword}}).status, 403);
  EXPECT_EQ(stranger.cookies.count("tarvik_desk"), 0u);
  // The mark with the token goes through; the order page says who took it (Alt+O next: desk_browser.py).
  const std::string order = "/orders/" + a.code;
  EXPECT_EQ(boss.Post(order + "/mark", changes[1].second).location, order + "?done=I");
  EXPECT_NE(boss.Get(order).body.find("boss: 접수중으로 바꿈"), npos);

  for (const char* page : {"/inbox", "/search", "/messages"}) EXPECT_EQ(kim.Get(page).status, 200) << page;
  EXPECT_EQ(kim.Get("/staff").status, 403);
  EXPECT_EQ(kim.Post("/staff/add", {{"name", "lee"}, {"role", "admin"}, {"password", "lee-pass-333"}}).status, 403);
  ASSERT_EQ(boss.Get("/staff").status, 200);
  EXPECT_EQ(boss.Post("/staff/add", {{"name", "lee"}, {"role", "staff"}, {"password", "short"}}).status, 400);
  EXPECT_EQ(boss.Post("/staff/add", {{"name", "lee"}, {"role", "staff"}, {"password", "lee-pass-333"}}).location,
            "/staff?done=add");
  ASSERT_EQ(lee.LogIn("lee", "lee-pass-333").status, 303);
  EXPECT_EQ(boss.Post("/staff/lee/password", {{"password", "lee-pass-444"}}).status, 303);
  EXPECT_EQ(lee.Get("/inbox").location, "/login");  // the old password's session went with it
  EXPECT_EQ(boss.Post("/staff/boss/remove").status, 409);  // the last admin stays
  EXPECT_EQ(boss.Post("/staff/lee/remove").status, 303);
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DU_"), "2");
  EXPECT_EQ(d.One("SELECT COUNT(*) FROM DA_ WHERE DA_WHO = 'boss' AND DA_WHAT LIKE 'staff-%' AND DA_DETAIL LIKE 'lee%'"), "3");
}

TEST_F(Desk, MarksMoveOnlyForwardAndNeverOverAReSend) {
  const Shown o = OrderIn(d, "A");
  auto db = d.db->Acquire(nullptr);
  struct Case {
    const char *from, *to;
    MarkResult result;
    const char* why;
  };
  const Case cases[] = {{"A", "O", MarkResult::kRefused, "먼저 접수중"}, {"A", "I", MarkResult::kDone, ""},
                        {"I", "I", MarkResult::kRefused, "이미 접수중"}, {"I", "O", MarkResult::kDone, ""},
                        {"O", "I", MarkResult::kRefused, "이미 접수된"}, {"O", "O", MarkResult::kRefused, "이미 접수되었"},
                        {"X", "I", MarkResult::kRefused, "작성중"},       {"A", "A", MarkResult::kRefused, "바꿀 수 없는"}};
  for (const Case& c : cases) {
    d.Exec("UPDATE OH_ SET OH_IOG = ? WHERE OH_CODE = ?", {c.from, o.code});
    std::string why;
    EXPECT_EQ(MarkOrder(*db, "S00001", o.code, c.to, o.sends, o.changed, "kim", why), c.result) << c.from << c.to;
    EXPECT_NE(why.find(c.why), npos) << c.from << c.to << ": " << why;
    EXPECT_EQ(d.One("SELECT OH_IOG FROM OH_ WHERE OH_CODE = ?", {o.code}), c.result == MarkResult::kDone ? c.to : c.from);
  }
  // The shop sent the order again after the page was drawn: that version is not the one taken.
  d.Exec("UPDATE OH_ SET OH_IOG = 'A', OH_MCOUNT = '9', OH_MT = '2359' WHERE OH_CODE = ?", {o.code});
  std::string why;
  EXPECT_EQ(MarkOrder(*db, "S00001", o.code, "I", o.sends, o.changed, "kim", why), MarkResult::kRefused);
  EXPECT_NE(why.find("고쳐 보냈습니다"), npos) << why;
  EXPECT_EQ(MarkOrder(*db, "S00001", o.code, "I", "9", "2359", "kim", why), MarkResult::kDone);
  EXPECT_EQ(MarkOrder(*db, "S00002", OrderIn(d, "A").code, "I", "", "", "kim", why), MarkResult::kRefused);
}

// The counts in the title and the message's text in the lists: desk_browser.py.
TEST_F(Desk, InboxListsComeOnlyWhenChangedAndOpeningRecordsRead) {
  Visitor kim = In("kim", kKimPassword);
  const std::string page = kim.Get("/inbox").body;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(page, m, std::regex("data-version=\"([0-9a-f]+)\"")));
  EXPECT_EQ(kim.Get("/inbox/lists?page=0&seen=" + std::string(m[1])).status, 204);
  // A new order and the message that came with it.
  const std::string code = OrderIn(d, "A").code.substr(0, 6) + "235959000000NEW0000001";
  d.Exec("INSERT INTO OH_ (OH_CODE, M_CODE, OH_SD, OH_AT, OH_MCOUNT, OH_CC, OH_IOG, OH_SG, OH_RCOUNT)"
         " VALUES (?, 'S00001', '991231', '2359', '1', 'C00001', 'A', '0', '1')",
         {code});
  d.Exec("INSERT INTO OA_ (OA_CODE, OA_SC, OA_CC, OA_IOG, OA_STATUS, OA_MSG) VALUES (?, 'S00001', 'C00001',"
         " 'O', 'W', '발주가 왔습니다.')",
         {code + "Z"});
  const Page lists = kim.Get("/inbox/lists?page=0&seen=" + std::string(m[1]));
  ASSERT_EQ(lists.status, 200);
  EXPECT_NE(lists.body.find(code), npos);
  EXPECT_EQ(d.One("SELECT OA_RTIME FROM OA_"), "");
  EXPECT_EQ(kim.Get("/orders/" + code).status, 200);
  EXPECT_EQ(d.One("SELECT LENGTH(OA_RTIME) FROM OA_"), "10");
  EXPECT_EQ(d.One("SELECT DA_WHAT FROM DA_ WHERE DA_ORDER = ?", {code}), "read");
  EXPECT_NE(kim.Get("/messages").body.find("읽지 않은 메시지 0건"), npos);
}

TEST_F(Desk, SearchFindsByShopDatesStatusAndProduct) {
  Visitor kim = In("kim", kKimPassword);
  const std::string sd = d.One("SELECT OH_SD FROM OH_ WHERE OH_NOTE = '오전 중 배송 부탁드립니다'");  // 3 days ago
  const std::string from = "20" + sd.substr(0, 2) + "-" + sd.substr(2, 2) + "-" + sd.substr(4, 2);
  const std::pair<std::string, int> cases[] = {  // what is asked; the orders found (samples and "X" never)
      {"", 7},           {"status=O", 3},       {"status=I", 2},          {"shop=%ED%95%9C%EB%B9%9B", 7},
      {"shop=SHOP1", 7}, {"shop=C00001", 7},    {"shop=%25", 0},          {"product=P00098", 1},
      {"product=YZ", 2}, {"from=" + from, 4},   {"to=" + from, 4},        {"from=" + from + "&status=A", 2}};
  for (const auto& [query, found] : cases) {
    const std::string body = kim.Get("/search?" + query).body;
    std::ptrdiff_t n = 0;
    for (auto p = body.find("data-code="); p != npos; p = body.find("data-code=", p + 1)) ++n;
    EXPECT_EQ(n, found) << query;
  }
}

TEST_F(Desk, ShopsTextShowsAsTextOnEveryPageAndInTheCsv) {
  const std::pair<std::string, std::string> escaped[] = {  // '<' and '"': the pages below
      {"'&", "&#39;&amp;"},
      {"똠방각하", "똠방각하"},                   // CP949 has it, EUC-KR does not
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"}};  // a stray byte shows as U+FFFD
  for (const auto& [text, html] : escaped) EXPECT_EQ(service::desk::Escape(text), html);
  EXPECT_EQ(service::desk::ParseForm("a=1+2%2B3&a=x&b")["a"], "1 2+3");  // a field's first value, as sent

  const std::string evil = "<script>alert(1)</script>\"><img src=x onerror=alert(2)> 똠";
  const Shown o = OrderIn(d, "A");
  d.Exec("UPDATE C_ SET C_NAME = ? WHERE C_CODE = 'C00001'", {evil});
  d.Exec("UPDATE OH_ SET OH_NOTE = ? WHERE OH_CODE = ?", {evil, o.code});
  d.Exec("UPDATE OL_ SET OL_LN = ? WHERE OH_CODE = ?", {"=HYPERLINK(\"x\"),\r\n" + evil, o.code});
  d.Exec("INSERT INTO OA_ (OA_CODE, OA_SC, OA_CC, OA_MSG) VALUES (?, 'S00001', 'C00001', ?)", {o.code + "Z", evil});
  Visitor kim = In("kim", kKimPassword);
  const std::string pages[] = {"/inbox", "/inbox/lists", "/orders/" + o.code, "/orders/" + o.code + "/print",
                               "/search?shop=C00001", "/messages", "/login"};
  for (const std::string& path : pages) {
    const Page p = kim.Get(path);
    EXPECT_EQ(p.body.find("<script>alert"), npos) << path;
    EXPECT_EQ(p.body.find("<img"), npos) << path;
    if (path != "/login") {
      EXPECT_NE(p.body.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&gt;&lt;img"), npos) << path;
    }
    EXPECT_NE(p.policy.find("script-src 'self'"), npos) << path;
    EXPECT_EQ(p.policy.find("unsafe-inline"), npos) << path;
  }
  const Page csv = kim.Get("/orders/" + o.code + "/csv");
  ASSERT_EQ(csv.body.compare(0, 3, "\xEF\xBB\xBF"), 0);  // the mark Excel reads UTF-8 by
  const CsvSplit split = SplitCsv(csv.body.substr(3));
  ASSERT_GE(split.records.size(), 2u);
  EXPECT_EQ(split.records[1][1], evil);
  EXPECT_EQ(split.records[1][10], "'=HYPERLINK(\"x\"),\r\n" + evil);  // text, never a formula
  EXPECT_NE(csv.body.find("\r\n"), npos);
}

}  // namespace
}  // namespace tarvik::test
