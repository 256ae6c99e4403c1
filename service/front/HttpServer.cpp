#include "service/front/HttpServer.h"

#include <Poco/Exception.h>
#include <Poco/Net/ServerSocket.h>
#include <Poco/Net/SocketAddress.h>
#include <signal.h>
#include <sys/resource.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>

#include "service/front/DeskDoor.h"
#include "service/front/Endpoints.h"
#include "service/operations/Metrics.h"
#include "service/front/Reactor.h"
#include "service/operations/RequestLog.h"

namespace tarvik::service {

namespace {

bool SplitListen(const std::string& listen, std::string& host, int& port) {
  const auto colon = listen.rfind(':');
  if (colon == std::string::npos) return false;
  host = listen.substr(0, colon);
  try {
    std::size_t used = 0;
    port = std::stoi(listen.substr(colon + 1), &used);
    if (used != listen.size() - colon - 1) return false;
  } catch (const std::exception&) {
    return false;
  }
  return port >= 0 && port <= 65535;
}

// Descriptors besides the connections: database sessions, update files being
// sent, the listening socket, epoll, logs.
constexpr rlim_t kSpareFiles = 256;

// Idle connections are cheap here, so the limit on open files is the limit:
// raised to what maxConnections needs (the hard limit too, where allowed).
// The number of connections the limit leaves room for.
std::size_t RaiseFileLimit(std::size_t maxConnections, std::size_t workers) {
  const rlim_t needed = static_cast<rlim_t>(maxConnections + 2 * workers) + kSpareFiles;
  rlimit r{};
  if (::getrlimit(RLIMIT_NOFILE, &r) != 0) return maxConnections;
  if (r.rlim_cur < needed) {
    rlimit raised = r;
    raised.rlim_cur = needed;
    if (raised.rlim_max != RLIM_INFINITY && raised.rlim_max < needed) raised.rlim_max = needed;
    if (::setrlimit(RLIMIT_NOFILE, &raised) != 0) {
      r.rlim_cur = r.rlim_max;  // what an unprivileged process may have
      ::setrlimit(RLIMIT_NOFILE, &r);
    }
    ::getrlimit(RLIMIT_NOFILE, &r);
  }
  if (r.rlim_cur >= needed) return maxConnections;
  const rlim_t room = r.rlim_cur > needed - maxConnections ? r.rlim_cur - (needed - maxConnections) : 1;
  std::cerr << "tarvik-service: " << r.rlim_cur << " open files allowed; serving at most " << room
            << " connections\n";
  return static_cast<std::size_t>(room);
}

// One write a line, so lines from a stopping process are never torn.
void WriteLine(const std::string& line) {
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// The desk's requests go to the same log, but not the inbox's look each
// second that found nothing new (204).
void LogDeskExchange(const Exchange& e) {
  if (e.status != 204) WriteLine(RequestLogLine(e, std::chrono::system_clock::now()));
}

// A stop that outlives its bound (a worker stuck in the database) ends here.
// A transaction left open is rolled back by the database; its request was
// never answered.
void StopOverdue(int) {
  static const char kText[] = "tarvik-service: replies not done within the stop bound; exiting\n";
  if (::write(STDERR_FILENO, kText, sizeof kText - 1) < 0) {
  }
  ::_exit(1);
}

// Opens the order desk's door when asked for and says where it listens.
bool OpenDesk(DeskDoor& desk, const ServeOptions& options, const std::string& host, int port,
              Database& db, const ReactorLimits& limits) {
  if (options.deskListen.empty()) return true;
  std::string error;
  if (!desk.Open(host, port, db, options.deskTls, limits, LogDeskExchange, &error)) {
    std::cerr << "tarvik-service: " << error << "\n";
    return false;
  }
  std::printf("desk listening on %s:%u\n", host.c_str(), desk.Port());
  return true;
}

}  // namespace

int Serve(const ServeOptions& options) {
  std::string host;
  int port = -1;
  if (!SplitListen(options.listen, host, port)) {
    std::cerr << "tarvik-service: --listen wants IP:PORT\n";
    return 2;
  }
  std::string deskHost;
  int deskPort = -1;
  if (!options.deskListen.empty() &&
      (!SplitListen(options.deskListen, deskHost, deskPort) || (deskPort == port && port != 0))) {
    std::cerr << "tarvik-service: --desk-listen wants IP:PORT, a port other than --listen's\n";
    return 2;
  }
  const std::size_t workers = options.workers < 1 ? 1 : options.workers;
  std::string error;
  auto db = Database::Open(options.db, workers + kDeskWorkers + 2, &error, options.dbLimits);
  std::unique_ptr<Connection> first = db ? db->Acquire(&error) : nullptr;
  if (!first || !first->EnsureSchema(&error)) {
    std::cerr << "tarvik-service: " << (db ? db->Shown() : options.db) << ": " << error << "\n";
    return 1;
  }
  first.reset();
  ReactorLimits limits = options.limits;
  limits.maxConnections = RaiseFileLimit(limits.maxConnections, workers);
  limits.stopSeconds = kStopSeconds;
  // Signals are taken by sigwait below; every thread started later inherits the mask.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<ReplyCache> cache;
  if (options.cacheBytes > 0) cache = std::make_unique<ReplyCache>(options.cacheBytes);
  Service service{*db, cache.get()};
  ConnectionCounts counts;
  Metrics metrics({[&counts] { return counts.open.load(); },
                   [&counts] { return counts.refused.load(); },
                   [&db] { return db->Errors(); }});
  Site site{service, options.updateDir, options.metrics ? &metrics : nullptr, {}};
  try {
    Poco::Net::ServerSocket socket;
    socket.bind(Poco::Net::SocketAddress(host, static_cast<Poco::UInt16>(port)), true);
    socket.listen(256);  // the kernel's accept queue, bounded
    socket.setBlocking(false);
    Reactor reactor(socket.impl()->sockfd(), limits, workers,
                    [&site](const HttpHead& head, const std::string& body) {
                      return Respond(site, head, body);
                    });
    reactor.Observe(
        [&metrics](const Exchange& e) {
          metrics.Count(*e.facts, e.status, e.seconds);
          WriteLine(RequestLogLine(e, std::chrono::system_clock::now()));
        },
        &counts);
    if (!reactor.Start(&error)) {
      std::cerr << "tarvik-service: " << error << "\n";
      return 1;
    }
    std::printf("listening on %s:%u\n", host.c_str(), socket.address().port());
    DeskDoor desk;
    if (!OpenDesk(desk, options, deskHost, deskPort, *db, limits)) return 1;
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stop, &sig);
    signal(SIGALRM, StopOverdue);
    alarm(kStopHardSeconds);
    reactor.Stop();
    desk.Stop();
  } catch (const Poco::Exception& e) {
    std::cerr << "tarvik-service: " << e.displayText() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace tarvik::service
