#pragma once
// The order desk's door (service/desk): a listening socket, a reactor and a
// few workers of its own, so that the desk never answers on the shops'
// listener and never takes a worker from them. It shares the database.
#include <Poco/Net/ServerSocket.h>

#include <cstddef>
#include <memory>
#include <string>

#include "service/desk/Desk.h"
#include "service/front/Reactor.h"

namespace tarvik::service {

constexpr std::size_t kDeskWorkers = 2;

class DeskDoor {
 public:
  DeskDoor() = default;
  ~DeskDoor();
  DeskDoor(const DeskDoor&) = delete;
  DeskDoor& operator=(const DeskDoor&) = delete;

  // Listens on host:port and serves the desk until Stop(); false with error.
  // tls: a TLS proxy stands in front (desk::DeskSettings). observer hears of
  // every reply (the request log).
  bool Open(const std::string& host, int port, Database& db, bool tls, const ReactorLimits& limits,
            ExchangeObserver observer, std::string* error);
  std::uint16_t Port() const;  // the port bound (0 before Open)
  // The graceful stop (Reactor::Stop); nothing when it never opened.
  void Stop();

 private:
  std::unique_ptr<desk::DeskSite> site_;
  Poco::Net::ServerSocket socket_;
  std::unique_ptr<Reactor> reactor_;
};

}  // namespace tarvik::service
