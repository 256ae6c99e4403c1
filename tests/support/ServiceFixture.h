#pragma once
// The real reference service as a child process, for any test.
//
//   tarvik::test::ServiceProcess service;          // demo data, free port
//   ASSERT_TRUE(service.Running());
//   // TARVIK_SERVER now names 127.0.0.1:<port>; the request functions reach it.
//
// Tests that use it must depend on the tarvik-service target
// (add_dependencies(<test> tarvik-service)).
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarvik::test {

class ServiceProcess {
 public:
  // Fresh temporary folder; writes the demo database there (when demoData) and
  // starts `tarvik-service serve --listen 127.0.0.1:0 --db ... [--update-dir
  // updateDir]`; waits (at most 20 s) for the "listening on" line; sets
  // TARVIK_SERVER=127.0.0.1:<port>. Running() is false when any step failed.
  explicit ServiceProcess(bool demoData = true, const std::string& updateDir = std::string());
  ~ServiceProcess();  // SIGKILL and reap the child, unset TARVIK_SERVER, remove the folder
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  bool Running() const;
  std::uint16_t Port() const { return port_; }
  std::string Address() const;  // "127.0.0.1:<port>"
  std::string DbPath() const { return folder_ + "service.db"; }
  std::string Folder() const { return folder_; }  // ends with "/"
  pid_t Pid() const { return pid_; }  // -1 when not running

  void Kill();     // SIGKILL, wait
  bool Restart();  // serve again on the same database (a new port; TARVIK_SERVER updated)

  // Runs `tarvik-service <args...>` (with --db DbPath() appended when addDb),
  // waits for it and returns its exit code (-1 when it could not run); its
  // standard output goes to *out when given.
  int Admin(const std::vector<std::string>& args, std::string* out = nullptr,
            bool addDb = true) const;

 private:
  bool Start();
  std::string folder_;
  std::string updateDir_;
  mutable pid_t pid_ = -1;  // -1 once the child is reaped
  std::uint16_t port_ = 0;
};

}  // namespace tarvik::test
