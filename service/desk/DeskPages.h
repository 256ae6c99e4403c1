#pragma once
// The desk's pages, each a function of one request (Desk.cpp routes to them).
#include <string>

#include "service/desk/Desk.h"
#include "service/desk/DeskHttp.h"
#include "service/desk/DeskStore.h"
#include "service/desk/Layout.h"

namespace tarvik::service::desk {

struct DeskRequest {
  DeskSite& site;
  const HttpHead& head;
  Connection& db;
  Params query;
  Params form;    // a posted form
  std::string token;  // the session's, once there is one
  Viewer viewer;      // set for a live session
  bool Admin() const { return viewer.staff.Admin(); }
};

// A page that says what went wrong, in the frame of the viewer when known.
HttpReply ErrorPage(const DeskRequest& r, int status, const std::string& words);
// The address failed log-ins count against.
std::string ClientAddress(const DeskRequest& r);

HttpReply LogInPage(DeskRequest& r);
HttpReply LogIn(DeskRequest& r);
HttpReply LogOut(DeskRequest& r);

// Orders as a table whose first cell opens each (the inbox, the search).
Markup OrdersTable(const std::vector<OrderRow>& orders, bool withStatus, bool focusFirst);
// A page number of the query ("page"), 0 when missing or bad.
int PageOf(const Params& query);

HttpReply InboxPage(DeskRequest& r);
// The inbox's lists alone, for the page's script; 204 when they are as the
// script last saw them (X-Inbox-Seen).
HttpReply InboxLists(DeskRequest& r);

HttpReply OrderPage(DeskRequest& r, const std::string& code);
HttpReply MarkOrderPost(DeskRequest& r, const std::string& code);
HttpReply PrintPage(DeskRequest& r, const std::string& code);
HttpReply OrderCsv(DeskRequest& r, const std::string& code);

HttpReply SearchPage(DeskRequest& r);
HttpReply MessagesPage(DeskRequest& r);
HttpReply MessageReadPost(DeskRequest& r, const std::string& id);

HttpReply StaffPage(DeskRequest& r, const std::string& notice = std::string(), int status = 200);
HttpReply StaffPost(DeskRequest& r, const std::string& name, const std::string& action);

// The desk's script and style (desk.js, desk.css), built in.
const std::string& DeskScript();
const std::string& DeskStyle();

}  // namespace tarvik::service::desk
