#include "service/Endpoints.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "net/Gzip.h"
#include "service/UpdateFiles.h"
#include "service/Wire.h"

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

}  // namespace

HttpReply Refusal(int status, const std::string& path, const std::string& why) {
  HttpReply r = StartsWith(path, "/NET/") ? Wire(status, GzipCompress(FailureReply(why)))
                                          : Plain(status, why + "\n");
  r.close = true;
  return r;
}

HttpReply Respond(Site& site, const HttpHead& head, const std::string& body) {
  static const std::string kNet = "/NET/", kPhp = ".php", kUpdate = "/update/";
  const std::string& path = head.path;
  if (StartsWith(path, kNet) && path.size() > kNet.size() + kPhp.size() &&
      path.compare(path.size() - kPhp.size(), kPhp.size(), kPhp) == 0) {
    const std::string endpoint = path.substr(kNet.size(), path.size() - kNet.size() - kPhp.size());
    if (head.method != "POST") return Wire(405, GzipCompress(FailureReply("POST only")));
    if (!IsKnownEndpoint(endpoint)) return Wire(404, GzipCompress(FailureReply("unknown endpoint")));
    std::string text, error;
    if (!DecodePostBody(head.contentType, body, text, &error))
      return Wire(400, GzipCompress(FailureReply(error)));
    return Wire(200, HandleRequest(site.service, endpoint, text).Body());
  }
  if (StartsWith(path, kUpdate) && !site.updateDir.empty())
    return UpdateFile(site, head, path.substr(kUpdate.size()));
  if (path == "/health" && (head.method == "GET" || head.method == "HEAD")) {
    HttpReply r = Health(site);
    r.omitBody = head.method == "HEAD";
    return r;
  }
  return Plain(404, "not found");
}

}  // namespace tarvik::service
