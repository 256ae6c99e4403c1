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

HttpReply Health(Site& site) {
  std::string error;
  auto db = site.service.db.Acquire(&error);
  Rows rows;
  if (!db || !db->Query("SELECT 1", {}, 1, rows, &error)) return Plain(503, "database: " + error);
  return Plain(200, "ok\n");
}

const std::string kNet = "/NET/", kUpdate = "/update/";

HttpReply WireFailure(int status, const std::string& why) {
  HttpReply r = Wire(status, GzipCompress(FailureReply(why)));
  r.facts.result = "0";
  return r;
}

HttpReply Answer(Site& site, const HttpHead& head, const std::string& body) {
  const std::string& path = head.path;
  const std::string endpoint = protocol::EndpointOfPath(path);
  if (!endpoint.empty()) {
    if (head.method != "POST") return WireFailure(405, "POST only");
    if (!protocol::IsEndpoint(endpoint)) return WireFailure(404, "unknown endpoint");
    std::string text, error;
    if (!DecodePostBody(head.contentType, body, text, &error)) return WireFailure(400, error);
    ReplyFacts facts;
    HttpReply r = Wire(200, HandleRequest(site.service, endpoint, text, &facts).Body());
    r.facts = std::move(facts);
    return r;
  }
  if (StartsWith(path, kUpdate) && !site.updateDir.empty())
    return UpdateFile(site, head, path.substr(kUpdate.size()));
  const bool isGet = head.method == "GET" || head.method == "HEAD";
  if (path == "/health" && isGet) {
    HttpReply r = Health(site);
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
