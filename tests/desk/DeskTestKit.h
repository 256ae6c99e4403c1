#pragma once
// The desk in-process on a fresh demo database with admin "boss" and staff "kim"; a visitor keeps its cookies and
// the last page's CSRF token, as a browser does.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>
#include <string>
#include <tuple>

#include "service/admin/DemoData.h"
#include "service/desk/Desk.h"
#include "service/desk/DeskHttp.h"
#include "tests/service/LocalService.h"

namespace tarvik::test {

using service::Connection;
using service::Rows;
using service::desk::Params;

inline const char kBossPassword[] = "boss-pass-1";
inline const char kKimPassword[] = "kim-pass-22";

// The service's own test database (LocalService) with the demo orders, the two accounts and the desk on it.
class DeskDb {
 public:
  explicit DeskDb(TestDb which = TestDb::kFromEnvironment) : svc(LocalSetup{"", "", {}, which}) {
    if (svc.Running()) Make();
  }
  void Make() {
    std::string error;
    auto c = (db = svc.Store())->Acquire(&error);
    ASSERT_TRUE(c && service::WriteDemoOrders(*c, &error)) << error;
    for (auto [name, role, password] : {std::tuple{"boss", "admin", kBossPassword}, {"kim", "staff", kKimPassword}}) {
      std::string hash;
      ASSERT_TRUE(service::desk::HashPassword(password, service::desk::LightestCost(), hash));
      ASSERT_TRUE(service::desk::AddStaff(*c, {name, "S00001", role, ""}, hash, "test", error)) << error;
    }
    site = std::make_unique<service::desk::DeskSite>(service::desk::DeskSite{*db, Settings()});
  }
  static service::desk::DeskSettings Settings() {
    service::desk::DeskSettings s;
    s.cost = service::desk::LightestCost();
    s.limits.firstWaitSeconds = 600;  // a slow run cannot outlast it
    return s;
  }
  Rows Query(const std::string& sql, const std::vector<std::string>& params = {}, std::size_t columns = 1) {
    std::string error;
    Rows rows;
    auto c = db->Acquire(&error);
    EXPECT_TRUE(c && c->Query(sql, params, columns, rows, &error)) << sql << ": " << error;
    return rows;
  }
  std::string One(const std::string& sql, const std::vector<std::string>& params = {}) {
    const Rows rows = Query(sql, params);
    return rows.empty() ? std::string() : rows[0][0];
  }
  void Exec(const std::string& sql, const std::vector<std::string>& params = {}) {
    std::string error;
    auto c = db->Acquire(&error);
    EXPECT_TRUE(c && c->Exec(sql, params, &error)) << sql << ": " << error;
  }
  const std::string& url() const { return svc.Db(); }
  const std::string& Skipped() const { return svc.Skipped(); }  // for REQUIRE_RUNNING
  bool Running() const { return site != nullptr; }

  LocalService svc;
  service::Database* db = nullptr;
  std::unique_ptr<service::desk::DeskSite> site;
};

struct Page {
  int status = 0;
  std::string body, location, setCookie, policy;  // policy: Content-Security-Policy
};

class Visitor {
 public:
  explicit Visitor(service::desk::DeskSite& site, std::string address = "10.0.0.9")
      : site_(site), address_(std::move(address)) {}

  Page Get(const std::string& target) { return Send("GET", target, std::string()); }
  // With the CSRF token of the last page unless fields name one.
  Page Post(const std::string& target, Params fields = {}) {
    if (!fields.count("csrf")) fields["csrf"] = csrf;
    const std::string q = service::desk::QueryString(fields);
    return Send("POST", target, q.empty() ? q : q.substr(1));
  }
  Page LogIn(const std::string& name, const std::string& password) {
    Get("/login");
    return Post("/login", {{"name", name}, {"password", password}});
  }

  std::map<std::string, std::string> cookies;
  std::string csrf;

 private:
  Page Send(const std::string& method, const std::string& target, const std::string& body) {
    service::HttpHead head;
    head.method = method;
    const auto q = target.find('?');
    head.path = target.substr(0, q);
    head.query = q == std::string::npos ? "" : target.substr(q + 1);
    head.peer = address_;
    head.contentType = "application/x-www-form-urlencoded";
    for (const auto& [name, value] : cookies) head.cookie += name + "=" + value + "; ";
    const service::HttpReply reply = service::desk::DeskRespond(site_, head, body);
    Page page;
    page.status = reply.status;
    page.body = reply.body;
    for (const auto& [name, value] : reply.headers) {
      if (name == "Location") page.location = value;
      if (name == "Content-Security-Policy") page.policy = value;
      if (name != "Set-Cookie") continue;
      page.setCookie = value;
      const auto eq = value.find('='), end = value.find(';');
      if (value.find("Max-Age=0") != std::string::npos) cookies.erase(value.substr(0, eq));
      else cookies[value.substr(0, eq)] = value.substr(eq + 1, end - eq - 1);
    }
    std::smatch m;
    if (std::regex_search(page.body, m, std::regex("name=\"csrf\" value=\"([^\"]+)\""))) csrf = m[1];
    return page;
  }

  service::desk::DeskSite& site_;
  std::string address_;
};

}  // namespace tarvik::test
