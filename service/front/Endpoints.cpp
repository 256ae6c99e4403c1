#include "service/front/Endpoints.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "protocol/CommandTable.h"
#include "wire/Gzip.h"
#include "service/operations/Metrics.h"
#include "service/commands/UpdateFiles.h"
#include "service/requests/RequestText.h"

namespace tarvik::service {

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

HttpReply Wire(int status, std::string gzipBody) {
  HttpReply r;
  r.status = status;
  r.contentType = "text/html; charset=utf-8";
  r.headers.emplace_back("Content-Encoding", "gzip");
  r.body = std::move(gzipBody);
  return r;
}

HttpReply Plain(int status, const std::string& text) {
  HttpReply r;
  r.status = status;
  r.contentType = "text/plain";
  r.body = text;
  return r;
}

HttpReply UpdateFile(const Site& site, const HttpHead& head, const std::string& relative) {
  const bool isGet = head.method == "GET" || head.method == "HEAD";
  if (!isGet) return Plain(405, "not allowed\n");
  const std::string path = UpdateFilePath(site.updateDir, relative);
  struct stat st {};
  OwnedFd fd(path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
    return Plain(404, "not found");
  HttpReply r;
  r.contentType = "application/octet-stream";
  r.headers.emplace_back("Cache-Control", "no-cache");
  r.file = std::move(fd);
  r.fileSize = st.st_size;
  r.omitBody = head.method == "HEAD";
  return r;
}

HttpReply HealthReply(bool healthy, const std::string& why) {
  return healthy ? Plain(200, "ok\n") : Plain(503, "database: " + why + "\n");
}

const std::string kNet = "/NET/", kUpdate = "/update/";

HttpReply WireFailure(int status, const std::string& why) {
  HttpReply r = Wire(status, GzipCompress(FailureReply(why)));
  r.facts.result = "0";
  return r;
}

HttpReply Answer(Site& site, const HttpHead& head, const std::string& body) {
  const std::string& path = head.path;
  // Paths are matched as they arrived: a percent escape is served only in a
  // file name below /update/, so no rule in front of the service (a proxy's
  // deny of /metrics) is passed by writing a path another way.
  if (head.rawPath.find('%') != std::string::npos && !StartsWith(head.rawPath, kUpdate))
    return Refusal(400, path, "percent-encoded path");
  const std::string endpoint = protocol::EndpointOfPath(path);
  if (!endpoint.empty()) {
    if (head.method != "POST") return WireFailure(405, "POST only");
    if (!protocol::IsEndpoint(endpoint)) return WireFailure(404, "unknown endpoint");
    std::string text, error;
    if (!DecodePostBody(head.contentType, body, text, &error)) return WireFailure(400, error);
    ReplyFacts facts;
    const Reply reply = HandleRequest(site.service, endpoint, text, &facts);
    // A write that may be stored is never answered "not stored": no result
    // at all makes the client look for it before it sends it again.
    HttpReply r = reply.unknown ? Plain(503, "outcome unknown\n") : Wire(200, reply.Body());
    r.close = reply.unknown;
    r.facts = std::move(facts);
    return r;
  }
  if (StartsWith(path, kUpdate) && !site.updateDir.empty())
    return UpdateFile(site, head, path.substr(kUpdate.size()));
  const bool isGet = head.method == "GET" || head.method == "HEAD";
  if (path == "/health" && isGet) {
    HttpReply r = site.health.Answer(site.service.db);
    r.omitBody = head.method == "HEAD";
    return r;
  }
  if (path == "/metrics" && isGet && site.metrics) {
    HttpReply r = Plain(200, site.metrics->Text());
    r.contentType = "text/plain; version=0.0.4; charset=utf-8";
    r.omitBody = head.method == "HEAD";
    return r;
  }
  return Plain(404, "not found");
}

}  // namespace

HttpReply HealthProbe::Answer(Database& db) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = Clock::now();
    if (asking_ && now - askedAt_ > std::chrono::seconds(1)) return HealthReply(false, "no answer");
    if (asking_ || now - answeredAt_ < std::chrono::milliseconds(250)) return HealthReply(healthy_, why_);
    asking_ = true;
    askedAt_ = now;
  }
  std::string error;
  auto c = db.Acquire(&error);
  Rows rows;
  const bool healthy = c && c->Query("SELECT 1", {}, 1, rows, &error);
  c.reset();
  std::lock_guard<std::mutex> lock(mutex_);
  asking_ = false;
  answeredAt_ = Clock::now();
  healthy_ = healthy;
  why_ = error;
  return HealthReply(healthy_, why_);
}

std::string EndpointLabel(const std::string& path) {
  const std::string endpoint = protocol::EndpointOfPath(path);
  if (!endpoint.empty()) return protocol::IsEndpoint(endpoint) ? endpoint : "unknown";
  if (StartsWith(path, kNet)) return "unknown";
  if (StartsWith(path, kUpdate)) return "update";
  if (path == "/health") return "health";
  if (path == "/metrics") return "metrics";
  return "other";
}

HttpReply Refusal(int status, const std::string& path, const std::string& why) {
  HttpReply r = StartsWith(path, kNet) ? WireFailure(status, why) : Plain(status, why + "\n");
  r.close = true;
  r.facts.endpoint = EndpointLabel(path);
  return r;
}

HttpReply Respond(Site& site, const HttpHead& head, const std::string& body) {
  HttpReply r = Answer(site, head, body);
  r.facts.endpoint = EndpointLabel(head.path);
  return r;
}

}  // namespace tarvik::service
