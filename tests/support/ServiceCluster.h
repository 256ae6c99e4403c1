#pragma once
// Several instances of the service on one database behind HAProxy, as a
// distributor runs them (scripts/haproxy.cfg: round robin, health checks, a
// request that cannot reach an instance goes to another one). TARVIK_SERVER
// names HAProxy.
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ServiceFixture.h"

namespace tarvik::test {

class ServiceCluster {
 public:
  // Skipped() is set when HAProxy (or the PostgreSQL asked for) is not there.
  explicit ServiceCluster(std::size_t instances, const ServiceSetup& setup = ServiceSetup());
  ~ServiceCluster();
  ServiceCluster(const ServiceCluster&) = delete;
  ServiceCluster& operator=(const ServiceCluster&) = delete;

  bool Running() const;  // the proxy and every instance
  const std::string& Skipped() const { return skipped_; }
  std::uint16_t Port() const { return port_; }  // HAProxy's
  ServiceProcess& Instance(std::size_t i) { return *instances_[i]; }

 private:
  bool StartProxy();
  std::vector<std::unique_ptr<ServiceProcess>> instances_;
  std::string skipped_;
  pid_t proxy_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace tarvik::test
