#include "tests/service/WireClient.h"

#include <Poco/Exception.h>
#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/StreamCopier.h>

#include <sstream>

#include "wire/Gzip.h"
#include "wire/MessageFormat.h"

namespace tarvik::test {

namespace {

RawReply Exchange(std::uint16_t port, Poco::Net::HTTPRequest& req, const std::string& body) {
  RawReply r;
  try {
    Poco::Net::HTTPClientSession session("127.0.0.1", port);
    session.setTimeout(Poco::Timespan(30, 0));
    if (!body.empty() || req.getMethod() == "POST") req.setContentLength(body.size());
    session.sendRequest(req) << body;
    Poco::Net::HTTPResponse resp;
    std::istream& in = session.receiveResponse(resp);
    std::ostringstream s;
    Poco::StreamCopier::copyStream(in, s);
    r.status = resp.getStatus();
    r.reason = resp.getReason();
    r.contentType = resp.getContentType();
    r.contentEncoding = resp.get("Content-Encoding", "");
    r.body = s.str();
    if (r.contentEncoding == "gzip") GzipDecompress(r.body, r.text);
  } catch (const Poco::Exception&) {
    r.status = 0;
  }
  return r;
}

}  // namespace

std::string MultipartBody(const std::string& boundary, const std::string& payload) {
  return "--" + boundary + "\r\n" +
         "Content-Disposition: form-data; name=POST; filename=GZCompressString\r\n" +
         "Content-Type: application/x-gzip\r\n\r\n" + payload + "\r\n--" + boundary + "--\r\n";
}

RawReply PostRaw(std::uint16_t port, const std::string& path, const std::string& contentType,
                 const std::string& body) {
  Poco::Net::HTTPRequest req(Poco::Net::HTTPRequest::HTTP_POST, path,
                             Poco::Net::HTTPMessage::HTTP_1_1);
  req.setContentType(contentType);
  req.set("Accept-Encoding", "gzip, deflate");
  return Exchange(port, req, body);
}

std::string Call(std::uint16_t port, const std::string& endpoint, const std::string& elements) {
  const std::string boundary = "--------DHC013124153045123";
  const std::string body =
      MultipartBody(boundary, GzipCompress(WrapPostData(elements)));
  const RawReply r = PostRaw(port, "/NET/" + endpoint + ".php",
                             "multipart/form-data; boundary=" + boundary, body);
  return r.text;
}

RawReply Get(std::uint16_t port, const std::string& path) {
  Poco::Net::HTTPRequest req(Poco::Net::HTTPRequest::HTTP_GET, path,
                             Poco::Net::HTTPMessage::HTTP_1_1);
  return Exchange(port, req, std::string());
}

}  // namespace tarvik::test
