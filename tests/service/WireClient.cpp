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

const std::string kBoundary = "--------DHC013124153045123";

RawReply Exchange(std::uint16_t port, const std::string& method, const std::string& path,
                  const std::string& contentType, const std::string& body) {
  RawReply r;
  try {
    Poco::Net::HTTPRequest req(method, path, Poco::Net::HTTPMessage::HTTP_1_1);
    if (method == "POST") {
      req.setContentType(contentType);
      req.set("Accept-Encoding", "gzip, deflate");
      req.setContentLength(body.size());
    }
    Poco::Net::HTTPClientSession session("127.0.0.1", port);
    session.setTimeout(Poco::Timespan(30, 0));
    session.sendRequest(req) << body;
    Poco::Net::HTTPResponse resp;
    std::ostringstream s;
    Poco::StreamCopier::copyStream(session.receiveResponse(resp), s);
    r = {resp.getStatus(), resp.getReason(), resp.getContentType(), resp.get("Content-Encoding", ""), s.str(), ""};
    if (r.contentEncoding == "gzip") GzipDecompress(r.body, r.text);
  } catch (const Poco::Exception&) {
    r.status = 0;
  }
  return r;
}

std::string CallBody(const std::string& elements) {
  return MultipartBody(kBoundary, GzipCompress(WrapPostData(elements)));
}

}  // namespace

std::string MultipartBody(const std::string& boundary, const std::string& payload) {
  return "--" + boundary + "\r\nContent-Disposition: form-data; name=POST; filename=GZCompressString\r\n" +
         "Content-Type: application/x-gzip\r\n\r\n" + payload + "\r\n--" + boundary + "--\r\n";
}

RawReply PostRaw(std::uint16_t port, const std::string& path, const std::string& contentType,
                 const std::string& body) {
  return Exchange(port, "POST", path, contentType, body);
}

std::string Call(std::uint16_t port, const Req& request) {
  return PostRaw(port, request.path, "multipart/form-data; boundary=" + kBoundary, CallBody(request.text)).text;
}

RawReply Get(std::uint16_t port, const std::string& path) { return Exchange(port, "GET", path, "", ""); }

std::string RawCall(const Req& request) {
  const std::string body = CallBody(request.text);
  return "POST " + request.path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: multipart/form-data; boundary=" +
         kBoundary + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace tarvik::test
