// ServiceProcess under Wine: a client of tests/wine/service-broker.py, which
// runs the Linux service for it; a Windows program that starts a Linux one
// gets no handle, exit code or pipe back. One connection is one service.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <chrono>
#include <cstdio>

#include "tests/support/LoopbackSocket.h"
#include "tests/support/ServiceFixture.h"

namespace tarvik::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string Line(const QJsonObject& request) {
  return QJsonDocument(request).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

QJsonObject Parsed(const std::string& answer) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(answer)).object();
}

// The broker's port from TARVIK_TEST_BROKER ("127.0.0.1:PORT"); 0 when unset.
std::uint16_t BrokerPort() {
  return static_cast<std::uint16_t>(qEnvironmentVariable("TARVIK_TEST_BROKER").section(':', -1).toUInt());
}

}  // namespace

ServiceProcess::ServiceProcess(const ServiceSetup& setup) : setup_(setup) {
  if (!setup.sharedDb.empty() || setup.db == TestDb::kPostgres ||
      (setup.db == TestDb::kFromEnvironment && OnPostgres())) {
    skipped_ = "under Wine the broker's services run on SQLite only";
    return;
  }
  const std::uint16_t port = BrokerPort();
  broker_ = port ? ConnectLoopback(port) : -1;
  if (broker_ < 0) {
    std::fprintf(stderr,
                 "ServiceProcess: no service broker at TARVIK_TEST_BROKER=\"%s\" (scripts/test-windows starts "
                 "tests/wine/service-broker.py)\n",
                 qEnvironmentVariable("TARVIK_TEST_BROKER").toLocal8Bit().constData());
    return;
  }
  Start();
}

ServiceProcess::~ServiceProcess() {
  Kill();
  if (broker_ >= 0) CloseSocket(broker_);  // the broker removes the folder and the database
  qunsetenv("TARVIK_SERVER");
}

std::string ServiceProcess::Ask(const std::string& request) const {
  if (broker_ < 0 || !SendAll(broker_, request)) return std::string();
  std::string answer;
  char buf[4096];
  // Admin commands run up to two minutes on the broker's side.
  for (const auto deadline = Clock::now() + std::chrono::seconds(150); Clock::now() < deadline;) {
    if (!Readable(broker_)) continue;
    const long n = ReceiveSome(broker_, buf, sizeof buf);
    if (n <= 0) break;
    answer.append(buf, static_cast<std::size_t>(n));
    if (answer.back() == '\n') return answer;
  }
  std::fprintf(stderr, "ServiceProcess: no answer from the service broker to %s", request.c_str());
  return std::string();
}

bool ServiceProcess::Start() {
  QJsonObject request{{"op", "start"}, {"demo", setup_.demoData},
                      {"updateDir", QString::fromStdString(setup_.updateDir)},
                      {"tz", qEnvironmentVariable("TZ")}};  // a Linux child would inherit it
  QJsonArray serveArgs;
  for (const auto& a : setup_.serveArgs) serveArgs.append(QString::fromStdString(a));
  request["serveArgs"] = serveArgs;
  const QJsonObject answer = Parsed(Ask(Line(request)));
  folder_ = "Z:" + answer["folder"].toString().toStdString();  // the Linux side's folder, as Wine sees it
  db_ = folder_ + "service.db";
  port_ = static_cast<std::uint16_t>(answer["port"].toInt());
  if (port_ == 0) {
    std::fprintf(stderr, "ServiceProcess: the service did not start:\n%s\n", Log().c_str());
    return false;
  }
  qputenv("TARVIK_SERVER", QByteArray::fromStdString(Address()));
  return true;
}

bool ServiceProcess::Running() const { return port_ != 0 && broker_ >= 0; }

void ServiceProcess::Kill() {
  if (port_ != 0) Ask(Line({{"op", "kill"}}));
  port_ = 0;
}

int ServiceProcess::Terminate() {
  const int code = port_ != 0 ? Parsed(Ask(Line({{"op", "terminate"}})))["code"].toInt(-1) : -1;
  port_ = 0;
  return code;
}

std::string ServiceProcess::Log() const { return Parsed(Ask(Line({{"op", "log"}})))["log"].toString().toStdString(); }

bool ServiceProcess::Restart() {
  port_ = static_cast<std::uint16_t>(Parsed(Ask(Line({{"op", "restart"}})))["port"].toInt());
  if (port_ != 0) qputenv("TARVIK_SERVER", QByteArray::fromStdString(Address()));
  return port_ != 0;
}

int ServiceProcess::Admin(const std::vector<std::string>& args, std::string* out, bool addDb) const {
  QJsonArray all;
  for (const auto& a : args) all.append(QString::fromStdString(a));
  const QJsonObject answer = Parsed(Ask(Line({{"op", "admin"}, {"args", all}, {"db", addDb}})));
  if (out) *out = answer["out"].toString().toStdString();
  return answer["code"].toInt(-1);
}

}  // namespace tarvik::test
