#pragma once
// The distributor's order desk: pages in Korean for the order staff, served
// on a listener of its own (never the shops'), on the same database as the
// shops' service. One whole request to its reply, without a socket, like the
// shops' side (front/Endpoints.h): the front runs it on its own workers.
//
// Without a live session every page leads to the log-in; every POST carries
// the session's CSRF token; staff see orders and messages, an admin also the
// staff accounts.
#include <string>

#include "service/desk/Secrets.h"
#include "service/desk/Sessions.h"
#include "service/requests/HttpFraming.h"
#include "service/store/Database.h"

namespace tarvik::service::desk {

struct DeskSettings {
  // The desk is reached through a TLS proxy: its cookies are Secure, and the
  // proxy's X-Forwarded-For is the address failed log-ins count against.
  bool tls = false;
  HashCost cost = InteractiveCost();
  long long sessionSeconds = 12 * 3600;  // a working day, then log in again
  LogInLimits limits;
};

struct DeskSite {
  Database& db;
  DeskSettings settings;
};

HttpReply DeskRespond(DeskSite& site, const HttpHead& head, const std::string& body);

// The cookies: the session's token, and before a log-in the token its form's
// CSRF token is made from.
inline const char kSessionCookie[] = "tarvik_desk";
inline const char kLogInCookie[] = "tarvik_login";

}  // namespace tarvik::service::desk
