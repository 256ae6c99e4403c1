// The service as a distributor runs it: the Debian package, the config file, the request log and /metrics.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "tests/service/WireClient.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Files.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

namespace fs = std::filesystem;

int Exec(std::vector<std::string> argv, std::string* out = nullptr) { return RunProgram(SpawnSpec(std::move(argv)), out); }

TEST(Package, BuildsCleanUnpacksAndServesWithItsOwnConfig) {
  const QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string tmp = dir.path().toStdString(), out = tmp + "/out", root = tmp + "/root";
  ASSERT_EQ(Exec({TARVIK_CPACK, "-G", "DEB", "-B", out, "--config", TARVIK_CPACK_CONFIG}), 0);
  std::string deb;
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().extension() == ".deb") deb = e.path().string();
  ASSERT_FALSE(deb.empty());
  // No tag at any level but the one README explains (a systemd unit, no init.d script).
  std::string tags;
  EXPECT_EQ(Exec({"/usr/bin/lintian", "--pedantic", "--display-info", "--fail-on", "error,warning,info,pedantic",
                  "--suppress-tags", "package-supports-alternative-init-but-no-init.d-script", deb},
                 &tags),
            0)
      << tags;
  EXPECT_EQ(tags, "");
  ASSERT_EQ(Exec({"/usr/bin/dpkg-deb", "-x", deb, root}), 0);
  // The unit checked against the unpacked tree (its ExecStart must be there), the system's units beside it.
  fs::copy("/lib/systemd/system", root + "/lib/systemd/system",
           fs::copy_options::recursive | fs::copy_options::skip_existing | fs::copy_options::copy_symlinks);
  const std::string unitLog = tmp + "/verify.log";
  EXPECT_EQ(RunProgram(SpawnSpec({"/usr/bin/systemd-analyze", "--man=no", "--root=" + root, "verify",
                                  "/lib/systemd/system/tarvik-service.service"},
                                 false, unitLog)),
            0);
  EXPECT_EQ(ReadFile(unitLog), "");
  // Regression: the packaged config served every address, /metrics included.
  EXPECT_NE(ReadFile(root + "/etc/tarvik/service.conf").find("\nlisten = 127.0.0.1:80\n"), std::string::npos);
  // The packaged program with its packaged config (its listen overridden).
  ServiceProcess service(ServiceSetup{true, tmp, {"--config", root + "/etc/tarvik/service.conf"}, "", TestDb::kSQLite},
                         root + "/usr/bin/tarvik-service");
  REQUIRE_RUNNING(service);
  EXPECT_TRUE(Ok(Call(service.Port(), OrderSave("", "packaged", 3))));
  EXPECT_EQ(Get(service.Port(), "/metrics").status, 200);  // on, as the packaged config has it
  EXPECT_EQ(service.Terminate(), 0);
}

// Samples of a /metrics text as Prometheus' Python client parses it: "name{label="value",...}" -> value.
std::map<std::string, double> Samples(const std::string& text, const std::string& folder) {
  static const char kScript[] =
      "import sys\n"
      "from prometheus_client.parser import text_string_to_metric_families\n"
      "for f in text_string_to_metric_families(open(sys.argv[1]).read()):\n"
      "    for s in f.samples:\n"
      "        labels = ','.join('%s=\"%s\"' % kv for kv in sorted(s.labels.items()))\n"
      "        print('%s{%s} %r' % (s.name, labels, s.value))\n";
  WriteFile(folder + "metrics.txt", text);
  std::string out;
  EXPECT_EQ(Exec({"/usr/bin/python3", "-c", kScript, folder + "metrics.txt"}, &out), 0) << text;
  std::map<std::string, double> samples;
  std::istringstream in(out);
  for (std::string name, value; in >> name >> value;) samples[name] = std::stod(value);
  return samples;
}

// A shop's log-in, a cached read, an order and a missing one: a log line each (never a password or body), metrics.
TEST(Operations, TheRequestLogAndTheMetricsFollowWhatAShopDoes) {
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  const std::uint16_t port = service.Port();
  const auto before = Samples(Get(port, "/metrics").body, service.Folder());
  const std::string customer = Call(port, For(protocol::kCustomer, "S00001", Same("C_ID", "NEWSHOP")));
  const std::string code = TagValue("C_CODE", customer), password = "Pw7secret";
  ASSERT_FALSE(code.empty()) << customer;
  EXPECT_TRUE(Ok(Call(port, For(protocol::kCustomerPassword, "S00001", MakeTag("C_SS", password), {code}))));
  const Req goods = For(protocol::kGoodByCode, "S00001", Same("G_CODE", "P00002"));
  EXPECT_TRUE(Ok(Call(port, goods)));
  EXPECT_TRUE(Ok(Call(port, goods)));
  const std::string saved = Call(port, OrderSave("", "order note", 2));
  EXPECT_FALSE(Ok(Call(port, For(protocol::kOrderOpen, "S00001"))));
  auto after = Samples(Get(port, "/metrics").body, service.Folder());
  const auto command = [](const protocol::Command& c) { return "command=\"" + std::string(c.code) + "\","; };
  for (const auto& [sample, by] : std::vector<std::pair<std::string, double>>{
           {"tarvik_requests_total{" + command(protocol::kOrderSave) + R"(endpoint="Order",result="1",status="200"})", 1},
           {"tarvik_requests_total{" + command(protocol::kOrderOpen) + R"(endpoint="Order",result="0",status="200"})", 1},
           {R"(tarvik_requests_total{command="",endpoint="metrics",result="",status="200"})", 1},
           {R"(tarvik_request_duration_seconds_count{endpoint="Order"})", 2},
           {R"(tarvik_request_duration_seconds_bucket{endpoint="Order",le="+Inf"})", 2},
           {R"(tarvik_reply_cache_total{outcome="miss"})", 1},
           {R"(tarvik_reply_cache_total{outcome="hit"})", 1},
           {"tarvik_orders_saved_total{}", 1},
           {"tarvik_connections_refused_total{}", 0},
           {"tarvik_database_errors_total{}", 0}}) {
    ASSERT_EQ(after.count(sample), 1u) << sample;
    EXPECT_EQ(after[sample] - (before.count(sample) ? before.at(sample) : 0), by) << sample;
  }
  EXPECT_GE(after["tarvik_connections_open{}"], 1);  // the scrape's own at least
  EXPECT_EQ(service.Terminate(), 0);

  const std::string text = service.Log();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8) << text;  // a line a request
  const auto logged = [](const protocol::Command& c) { return "command=" + std::string(c.code); };
  for (const std::string& part : std::vector<std::string>{
           "POST /NET/Customer.php " + logged(protocol::kCustomer) + " supplier=S00001 orderer-id=NEWSHOP status=200 result=1 records=1",
           logged(protocol::kCustomerPassword) + " supplier=S00001 orderer=" + code + " status=200 result=1",
           logged(protocol::kGoodByCode) + " supplier=S00001 status=200 result=1 cache=hit",
           logged(protocol::kOrderSave) + " supplier=S00001 orderer=C00001 order=" + TagValue("OH_CODE", saved) + " status=200 result=1",
           "GET /metrics status=200"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  EXPECT_EQ(text.find(password), std::string::npos);
  EXPECT_EQ(text.find("order note"), std::string::npos);
}

// serve --config: a setting of the file applies (metrics are on by default), a misspelt one or a bad value stops
// it. The packaged file's comments and settings, and the command line over them (listen, db, update-dir), are
// Package's.
TEST(Config, TheFilesSettingsApplyAndAMisspeltOneOrABadValueIsRefused) {
  const QTemporaryDir tmp;
  const std::string file = tmp.path().toStdString() + "/service.conf";
  for (const auto& [config, metricsStatus] : std::vector<std::pair<std::string, int>>{
           {"metrics = off\n", 404}, {"metrix = off\n", 0}, {"metrics = maybe\n", 0}}) {  // 0: it does not start
    WriteFile(file, config);
    ServiceProcess service(ServiceSetup{false, "", {"--config", file}, "", TestDb::kSQLite});
    EXPECT_EQ(service.Running() ? Get(service.Port(), "/metrics").status : 0, metricsStatus) << config;
  }
}

}  // namespace
}  // namespace tarvik::test
