#include "tests/support/ServiceCluster.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/ChildProcess.h"

namespace tarvik::test {

namespace {

const char kHaproxy[] = "/usr/sbin/haproxy";

// HTTP status of GET path on 127.0.0.1:port, 0 when there is no answer.
int GetStatus(int port, const std::string& path) {
  SpawnSpec probe{{"/usr/bin/curl", "-s", "-o", "/dev/null", "-w", "%{http_code}", "-m", "2",
                   "--noproxy", "*", "http://127.0.0.1:" + std::to_string(port) + path},
                  true};
  std::string out;
  RunProgram(probe, &out);
  return std::atoi(out.c_str());
}

}  // namespace

ServiceCluster::ServiceCluster(std::size_t instances, const ServiceSetup& setup) {
  if (::access(kHaproxy, X_OK) != 0) {
    skipped_ = "HAProxy is not installed";
    return;
  }
  instances_.push_back(std::make_unique<ServiceProcess>(setup));
  if (!instances_[0]->Skipped().empty()) {
    skipped_ = instances_[0]->Skipped();
    return;
  }
  if (!instances_[0]->Running()) return;
  ServiceSetup more = setup;
  more.demoData = false;
  more.sharedDb = instances_[0]->DbPath();
  for (std::size_t i = 1; i < instances; ++i)
    instances_.push_back(std::make_unique<ServiceProcess>(more));
  folder_ = instances_[0]->Folder();
  for (const auto& s : instances_) {
    if (!s->Running()) return;
  }
  if (StartProxy()) ::setenv("TARVIK_SERVER", ("127.0.0.1:" + std::to_string(port_)).c_str(), 1);
}

ServiceCluster::~ServiceCluster() {
  if (proxy_ > 0) {
    ::kill(proxy_, SIGKILL);
    WaitExit(proxy_);
  }
  // The first instance owns the database: it goes last.
  while (!instances_.empty()) instances_.pop_back();
}

bool ServiceCluster::Running() const {
  if (proxy_ <= 0 || instances_.empty()) return false;
  for (const auto& s : instances_) {
    if (!s->Running()) return false;
  }
  int status = 0;
  return ::waitpid(proxy_, &status, WNOHANG) == 0;
}

bool ServiceCluster::StartProxy() {
  port_ = static_cast<std::uint16_t>(FreeLoopbackPort());
  const std::string config = folder_ + "haproxy.cfg";
  {
    // The distributor's configuration (scripts/cluster writes the same).
    std::ifstream in(TARVIK_SOURCE_DIR "/scripts/haproxy.cfg");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.replace(text.find("@PORT@"), 6, std::to_string(port_));
    std::ofstream cfg(config);
    cfg << text;
    for (std::size_t i = 0; i < instances_.size(); ++i)
      cfg << "  server s" << i << " " << instances_[i]->Address() << "\n";
  }
  proxy_ = Spawn(SpawnSpec{{kHaproxy, "-db", "-f", config}, false, folder_ + "haproxy.log"});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (proxy_ > 0 && std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(proxy_, &status, WNOHANG) == proxy_) {
      proxy_ = -1;
      std::ifstream log(folder_ + "haproxy.log");
      std::fprintf(stderr, "HAProxy ended at its start:\n%s\n",
                   std::string(std::istreambuf_iterator<char>(log), {}).c_str());
      return false;
    }
    // Every instance answered through the proxy once: all are up.
    bool all = true;
    for (std::size_t i = 0; i < instances_.size() && all; ++i)
      all = GetStatus(port_, "/health") == 200;
    if (all) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

}  // namespace tarvik::test
