#include "service/front/DeskDoor.h"

#include <Poco/Exception.h>
#include <Poco/Net/SocketAddress.h>

namespace tarvik::service {

DeskDoor::~DeskDoor() { Stop(); }

bool DeskDoor::Open(const std::string& host, int port, Database& db, bool tls,
                    const ReactorLimits& limits, ExchangeObserver observer, std::string* error) {
  if (!desk::SodiumReady()) {
    *error = "the order desk: libsodium cannot be used";
    return false;
  }
  desk::DeskSettings settings;
  settings.tls = tls;
  site_ = std::make_unique<desk::DeskSite>(desk::DeskSite{db, settings});
  try {
    // Never SO_REUSEPORT: the desk must not share a port with the shops.
    socket_.bind(Poco::Net::SocketAddress(host, static_cast<Poco::UInt16>(port)), true, false);
    socket_.listen(64);
    socket_.setBlocking(false);
  } catch (const Poco::Exception& e) {
    *error = "the order desk: " + e.displayText();
    return false;
  }
  desk::DeskSite* site = site_.get();
  reactor_ = std::make_unique<Reactor>(socket_.impl()->sockfd(), limits, kDeskWorkers,
                                       [site](const HttpHead& head, const std::string& body) {
                                         return desk::DeskRespond(*site, head, body);
                                       });
  reactor_->Observe(std::move(observer), nullptr);
  if (!reactor_->Start(error)) {
    reactor_.reset();
    return false;
  }
  return true;
}

std::uint16_t DeskDoor::Port() const { return reactor_ ? socket_.address().port() : 0; }

void DeskDoor::Stop() {
  if (reactor_) reactor_->Stop();
  reactor_.reset();
}

}  // namespace tarvik::service
