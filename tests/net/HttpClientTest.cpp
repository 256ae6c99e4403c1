// THTTPClient against a raw loopback server: the exact bytes it sends and
// what it makes of exact replies.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <sstream>

#include "net/Gzip.h"
#include "net/HTTP_CLIENT.h"
#include "net/MessageFormat.h"
#include "platform/Folders.h"
#include "tests/net/WireParts.h"
#include "tests/support/LoopbackServer.h"

namespace tarvik {
namespace {

using test::LoopbackServer;

const char* const kRequest =
    "VALUE=<POST_DATA><CALL_INDEX>240131-7</CALL_INDEX><COMMAND>100200</COMMAND>"
    "<DB_KEY>S00001</DB_KEY><SAME_FIELD>C_ID</SAME_FIELD><SAME_KEY>\xED\x95\x9C-01</SAME_KEY>"
    "</POST_DATA>";
const char* const kCallIndex = "<CALL_INDEX>240131-7</CALL_INDEX>";
const char* const kHangul = "\xED\x95\x9C\xEA\xB8\x80";  // 한글

std::string HttpReplyText(const std::vector<std::string>& headers, const std::string& body,
                          bool withLength = true) {
  return LoopbackServer::HttpReply(headers, body, withLength);
}

// One exchange with the server; the client stays for inspection.
struct Exchange {
  THTTPClient client;
  std::string reply;
  bool ok = false;
  double seconds = 0;

  Exchange(const LoopbackServer& server, const std::string& request = kRequest) {
    const auto t0 = std::chrono::steady_clock::now();
    ok = client.PostRequest("127.0.0.1", "/NET/Customer.php", reply, server.Port(), request);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(HttpClientWire, RequestBytesFollowTheLayout) {
  LoopbackServer server;
  const std::time_t before = std::time(nullptr);
  Exchange x(server);
  const std::time_t after = std::time(nullptr);
  ASSERT_TRUE(server.WaitForRequests(1, 5000));
  const test::WireRequest w = test::SplitRequest(server.LastRequest());

  ASSERT_FALSE(w.lines.empty());
  EXPECT_EQ(w.lines[0], "POST /NET/Customer.php HTTP/1.1");
  // Our three lines in this order; besides them only what HTTP/1.1 needs.
  std::vector<std::string> ours;
  for (std::size_t i = 1; i < w.lines.size(); ++i) {
    const std::string& l = w.lines[i];
    if (l.rfind("Host: ", 0) == 0 || l.rfind("Content-Length: ", 0) == 0) continue;
    if (l.rfind("User-Agent: ", 0) == 0) {
      EXPECT_EQ(l, "User-Agent: Tarvik HTTP Client");
      continue;
    }
    ours.push_back(l);
  }
  ASSERT_EQ(ours.size(), 3u) << w.head;
  EXPECT_EQ(ours[0], "Accept-Encoding: gzip, deflate");
  EXPECT_EQ(ours[1], "Connection: Keep-Alive");
  EXPECT_EQ(ours[2], "Content-Type: multipart/form-data; boundary=" + w.boundary);
  EXPECT_NE(w.head.find("Content-Length: " + std::to_string(w.body.size()) + "\r\n"),
            std::string::npos);

  // --------DHC + mmddyyhhnnsszzz of the local time of sending.
  ASSERT_TRUE(std::regex_match(w.boundary, std::regex("--------DHC[0-9]{15}")));
  bool dateMatches = false;
  for (std::time_t t : {before, after}) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char d[16];
    std::strftime(d, sizeof d, "%m%d%y%H", &tm);
    dateMatches = dateMatches || w.boundary.substr(11, 8) == d;
  }
  EXPECT_TRUE(dateMatches) << w.boundary;

  const std::string b = w.boundary;
  const std::string expected = "--" + b + "\r\n" +
                               "Content-Disposition: form-data; name=POST; filename=GZCompressString\r\n" +
                               "Content-Type: application/x-gzip\r\n" + "\r\n" + GzipCompress(kRequest) +
                               "\r\n--" + b + "--\r\n";
  EXPECT_EQ(w.body, expected);
  EXPECT_EQ(w.payload.substr(0, 10), std::string("\x1F\x8B\x08\0\0\0\0\0\0\0", 10));
  EXPECT_EQ(w.text, kRequest);
}

TEST(HttpClientReply, GzipIsDecodedAndUtf8CheckedOnlyWithCharset) {
  LoopbackServer server;
  const std::string text = std::string("<RESULT_CODE>1</RESULT_CODE><C_NAME>") + kHangul + "</C_NAME>";

  server.SetReply(HttpReplyText({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"},
                                GzipCompress(text)));
  {
    Exchange x(server);
    EXPECT_TRUE(x.ok);
    EXPECT_EQ(x.reply, text + kCallIndex);
  }
  // Invalid UTF-8 under a utf-8 charset becomes empty: the caller sees no RESULT_CODE.
  const std::string broken = "<RESULT_CODE>1</RESULT_CODE>\xC0\xAF";
  server.SetReply(HttpReplyText({"Content-Type: text/html; charset=UTF-8", "Content-Encoding: gzip"},
                                GzipCompress(broken)));
  {
    Exchange x(server);
    EXPECT_EQ(x.reply, kCallIndex);
  }
  // Without a charset the decompressed bytes are handed on as they are.
  server.SetReply(HttpReplyText({"Content-Type: text/html", "Content-Encoding: x-gzip"},
                                GzipCompress(broken)));
  {
    Exchange x(server);
    EXPECT_EQ(x.reply, broken + kCallIndex);
  }
}

TEST(HttpClientReply, PlainBodyComesWithTheHeaderLinesInFront) {
  LoopbackServer server;
  const std::string body = std::string("<RESULT_CODE>0</RESULT_CODE>") + kHangul;
  server.SetReply(HttpReplyText({"Content-Type: text/html"}, body));
  Exchange x(server);
  EXPECT_EQ(x.reply, "<HTTP HEAD>HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n</HTTP HEAD>" + body + kCallIndex);

  // A server error page reaches the caller as text, without RESULT_CODE.
  server.SetReply("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\noops!");
  Exchange e(server);
  EXPECT_EQ(e.reply, "<HTTP HEAD>HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\n"
                     "</HTTP HEAD>oops!" + std::string(kCallIndex));

  // Invalid UTF-8 in a plain body is dropped, the header element stays.
  server.SetReply(HttpReplyText({"Content-Type: text/html"}, "ab\xFF"));
  Exchange bad(server);
  const std::string tail = std::string("\r\n\r\n</HTTP HEAD>") + kCallIndex;
  ASSERT_GE(bad.reply.size(), tail.size());
  EXPECT_EQ(bad.reply.substr(bad.reply.size() - tail.size()), tail);
}

TEST(HttpClientReply, ChunkedBodyIsJoinedAndItsTrailerIsNoHeaderLine) {
  LoopbackServer server;
  server.SetReply("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n"
                  "5\r\nhello\r\n4\r\n 한\r\n0\r\nX-Trailer: t\r\n\r\n");
  Exchange x(server);
  EXPECT_EQ(x.reply, "<HTTP HEAD>HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n"
                     "</HTTP HEAD>hello 한" + std::string(kCallIndex));
}

TEST(HttpClientReply, DownloadTypeIsWrittenToTheDownloadFile) {
  LoopbackServer server;
  const std::string bytes("\x00\x01binary\xFF\r\n", 11);
  server.SetReply(HttpReplyText({"Content-Type: application/x-Download", "Content-Encoding: gzip"}, bytes));
  std::remove(DownloadFilePath().c_str());
  Exchange x(server);
  EXPECT_TRUE(x.ok);
  EXPECT_EQ(x.reply, std::string("File Download") + kCallIndex);
  EXPECT_EQ(ReadFile(DownloadFilePath()), bytes);
}

TEST(HttpClientReply, MissingContentLengthIsNoFailure) {
  LoopbackServer server;
  const std::string text = "<RESULT_CODE>1</RESULT_CODE>";
  server.SetReply(HttpReplyText({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"},
                                GzipCompress(text), /*withLength=*/false));
  Exchange x(server);
  EXPECT_TRUE(x.ok);
  EXPECT_EQ(x.reply, text + kCallIndex);
  EXPECT_EQ(x.client.AnnouncedLength(), 0);
  EXPECT_EQ(x.client.LastErrorCode(), 0);
  EXPECT_TRUE(x.client.ErrorLines().empty());
}

TEST(HttpClientReply, GzipMemberWithOptionalHeaderFieldsIsRead) {
  LoopbackServer server;
  const std::string text = "<RESULT_CODE>1</RESULT_CODE>";
  const std::string plain = GzipCompress(text);
  std::string member = std::string("\x1F\x8B\x08", 3) + static_cast<char>(2 | 4 | 8 | 16) +
                       std::string("\x01\x02\x03\x04\x00\x03", 6);
  member += std::string("\x04\x00", 2) + "abcd";        // extra field
  member += std::string("reply.txt") + '\0';           // name
  member += std::string("made by hand") + '\0';        // comment
  member += "\x12\x34";                                // header CRC (not checked)
  member += plain.substr(10);
  server.SetReply(HttpReplyText({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"}, member));
  Exchange x(server);
  EXPECT_EQ(x.reply, text + kCallIndex);
}

TEST(HttpClientReply, BrokenGzipIsADecompressError) {
  LoopbackServer server;
  const std::string good = GzipCompress("<RESULT_CODE>1</RESULT_CODE>");
  std::string badCrc = good;
  badCrc[badCrc.size() - 6] ^= 0x40;
  std::string reserved = good;
  reserved[3] = 32;
  for (const std::string& body : {std::string("not gzip at all"), good.substr(0, good.size() - 4),
                                  good.substr(0, 12), badCrc, reserved}) {
    server.SetReply(HttpReplyText({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"}, body));
    Exchange x(server);
    EXPECT_FALSE(x.ok);
    EXPECT_EQ(x.reply, std::string("ResponseBuffer Decompress Error") + kCallIndex);
  }
}

// The header block the client sees: status line, headers, closing empty line.
std::string ReplyWithHeaderBlockOf(std::size_t total) {
  const std::string start = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2\r\nX-Pad: ";
  const std::string end = "\r\n\r\n";
  return start + std::string(total - start.size() - end.size(), 'p') + end + "OK";
}

TEST(HttpClientReply, HeaderBlockIsLimitedTo4096Bytes) {
  LoopbackServer server;
  server.SetReply(ReplyWithHeaderBlockOf(4096));
  Exchange fits(server);
  EXPECT_TRUE(fits.ok) << fits.reply.substr(0, 40);

  server.SetReply(ReplyWithHeaderBlockOf(4097));
  Exchange over(server);
  EXPECT_FALSE(over.ok);
  EXPECT_EQ(over.reply, std::string("SetResponseHeader Error") + kCallIndex);
  ASSERT_EQ(over.client.ErrorLines().size(), 3u);
  EXPECT_EQ(over.client.ErrorLines()[1], "Error Func : HttpQueryInfo[HTTP_QUERY_RAW_HEADERS_CRLF]");
}

TEST(HttpClientReply, BodyOfAtMostOneByteIsAFailedRead) {
  LoopbackServer server;
  for (const std::string& body : {std::string(), std::string("1")}) {
    server.SetReply(HttpReplyText({"Content-Type: text/html"}, body));
    Exchange x(server);
    EXPECT_EQ(x.reply, std::string("SetResponseBuffer Error") + kCallIndex);
  }
  server.SetReply(HttpReplyText({"Content-Type: text/html"}, "12"));
  Exchange two(server);
  EXPECT_TRUE(two.ok);
}

TEST(HttpClientReply, NoCallIndexGivesAnEmptyOne) {
  LoopbackServer server;
  server.SetReply(HttpReplyText({"Content-Type: text/html; charset=utf-8", "Content-Encoding: gzip"},
                                GzipCompress("<RESULT_CODE>1</RESULT_CODE>")));
  Exchange x(server, "VALUE=<POST_DATA><COMMAND>100000</COMMAND></POST_DATA>");
  EXPECT_EQ(x.reply, "<RESULT_CODE>1</RESULT_CODE><CALL_INDEX></CALL_INDEX>");
}

TEST(HttpClientHeaders, LookupByIndexPrefersTheExactName) {
  LoopbackServer server;
  server.SetReply("HTTP/1.1 200 OK\r\nX-Content-Type-Options: nosniff\r\ncontent-type:  text/html; charset=utf-8 \r\n"
                  "Content-Encoding: gzip\r\nContent-Length: 2\r\n\r\nOK");
  Exchange x(server);
  EXPECT_EQ(x.client.GetResponseHeader(kHeaderContentType), "text/html; charset=utf-8");
  EXPECT_EQ(x.client.GetResponseHeader(kHeaderContentEncoding), "gzip");
  EXPECT_EQ(x.client.GetResponseHeader(kHeaderContentLength), "2");
  EXPECT_EQ(x.client.GetResponseHeader(3), "");  // Date: absent
  EXPECT_EQ(x.client.GetResponseHeader(-1), "");
  EXPECT_EQ(x.client.GetResponseHeader(kHeaderNameCount), "");
  EXPECT_EQ(x.client.GetResponseHeader(0),
            "HTTP/1.1 200 OK\r\nX-Content-Type-Options: nosniff\r\ncontent-type:  text/html; charset=utf-8\r\n"
            "Content-Encoding: gzip\r\nContent-Length: 2\r\n\r\n");
  EXPECT_EQ(x.client.AnnouncedLength(), 2);
}

TEST(HttpClientProgress, HookSeesEveryPieceUpToTheAnnouncedLength) {
  LoopbackServer server;
  const std::string body(300000, 'x');
  server.SetReply(HttpReplyText({"Content-Type: text/html"}, body));
  THTTPClient client;
  std::vector<std::pair<std::int64_t, std::int64_t>> calls;
  client.SetProgressHook([&](std::int64_t announced, std::int64_t got) { calls.emplace_back(announced, got); });
  std::string reply;
  ASSERT_TRUE(client.PostRequest("127.0.0.1", "/p", reply, server.Port(), kRequest));
  ASSERT_GE(calls.size(), 2u);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].first, 300000);
    if (i > 0) {
      EXPECT_GT(calls[i].second, calls[i - 1].second);
    }
  }
  EXPECT_EQ(calls.back().second, 300000);
  EXPECT_EQ(client.BytesRead(), 300000);
}

TEST(HttpClientFailure, RefusedOrDroppedConnectionIsASendError) {
  {
    THTTPClient client;
    std::string reply;
    EXPECT_FALSE(client.PostRequest("127.0.0.1", "/NET/Customer.php", reply, LoopbackServer::ClosedPort(), kRequest));
    EXPECT_EQ(reply, std::string("Send_PostRequest Error") + kCallIndex);
    ASSERT_EQ(client.ErrorLines().size(), 3u);
    EXPECT_EQ(client.ErrorLines()[0], "Error Code : " + std::to_string(client.LastErrorCode()));
    EXPECT_EQ(client.ErrorLines()[1], "Error Func : PostRequest_GZCompress");
    EXPECT_EQ(client.ErrorLines()[2].rfind("Meaasge    : ", 0), 0u);
  }
  {
    LoopbackServer server;
    server.CloseWithoutReply();
    Exchange x(server);
    EXPECT_EQ(x.reply, std::string("Send_PostRequest Error") + kCallIndex);
  }
  {
    THTTPClient client;
    std::string reply;
    EXPECT_FALSE(client.PostRequest("", "/NET/Customer.php", reply, 80, kRequest));
    EXPECT_EQ(reply, std::string("Open_PostRequest Error") + kCallIndex);
  }
}

TEST(HttpClientFailure, StalledServerIsAbandoned) {
  THTTPClient::SetTimeouts(5, 1);
  LoopbackServer server;
  server.SetReply(HttpReplyText({"Content-Type: text/html"}, std::string(5000, 'y')));
  server.StallBeforeReply();
  {
    Exchange x(server);
    EXPECT_EQ(x.reply, std::string("Send_PostRequest Error") + kCallIndex);
    EXPECT_LT(x.seconds, 8.0);
  }
  // The header block and part of the body, then silence.
  server.SetReply(HttpReplyText({"Content-Type: text/html"}, std::string(5000, 'y')));
  server.StallAfter(100);
  {
    Exchange x(server);
    EXPECT_EQ(x.reply, std::string("SetResponseBuffer Error") + kCallIndex);
    EXPECT_LT(x.seconds, 8.0);
    EXPECT_EQ(x.client.ErrorLines()[1], "Error Func : InternetReadFile");
  }
  // A body cut short of its announced length is no reply either.
  server.SetReply(HttpReplyText({"Content-Type: text/html", "Content-Length: 9000"}, std::string(50, 'y'), false));
  {
    Exchange x(server);
    EXPECT_EQ(x.reply, std::string("SetResponseBuffer Error") + kCallIndex);
  }
  THTTPClient::SetTimeouts(0, 0);
}

}  // namespace
}  // namespace tarvik
