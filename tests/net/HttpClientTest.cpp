// The wire (elements, reply reader, gzip) and THTTPClient against a raw loopback server, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <ctime>
#include <regex>
#include <thread>

#include "net/HttpClient.h"
#include "platform/Folders.h"
#include "tests/net/WireParts.h"
#include "tests/support/Environment.h"
#include "tests/support/Files.h"
#include "text/LocalTime.h"
#include "wire/MessageFormat.h"
#include "protocol/CommandTable.h"

namespace tarvik { namespace {

using test::LoopbackServer;
const std::string kRequest = WrapPostData(protocol::RequestText(
    protocol::kCustomer, "240131-7", "S00001", {}, "<SAME_FIELD>C_ID</SAME_FIELD><SAME_KEY>한-01</SAME_KEY>"));
const std::string kCallIndex = "<CALL_INDEX>240131-7</CALL_INDEX>";
const std::string kUtf8Gzip = "Content-Type: text/html; charset=utf-8\r\nContent-Encoding: gzip\r\n";

struct Exchange {  // one exchange with the server
  THTTPClient client;
  PostOutcome out;
  double seconds = 0;
  explicit Exchange(std::uint16_t port, const TransferLimits* limits = nullptr) {
    if (limits) client.SetLimits(*limits);
    const auto t0 = std::chrono::steady_clock::now();
    out = client.PostRequest("127.0.0.1", "/NET/Customer.php", port, kRequest);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  bool Ok() const { return out.delivery == Delivery::Replied; }
};

TEST(HttpClientWire, RequestBytesFollowTheLayout) {
  LoopbackServer server;
  const std::time_t before = std::time(nullptr);
  Exchange x(server.Port());
  const std::time_t after = std::time(nullptr);
  const test::WireRequest w = test::SplitRequest(server.LastRequest());
  ASSERT_FALSE(w.lines.empty());
  EXPECT_EQ(w.lines[0], "POST /NET/Customer.php HTTP/1.1");
  std::vector<std::string> ours;  // our three lines in this order; besides them only what HTTP/1.1 needs
  for (std::size_t i = 1; i < w.lines.size(); ++i) {
    const std::string& l = w.lines[i];
    if (l.rfind("User-Agent: ", 0) == 0) EXPECT_EQ(l, "User-Agent: Tarvik HTTP Client");
    else if (l.rfind("Host: ", 0) != 0 && l.rfind("Content-Length: ", 0) != 0) ours.push_back(l);
  }
  EXPECT_EQ(ours, (std::vector<std::string>{"Accept-Encoding: gzip, deflate", "Connection: Keep-Alive",
                                            "Content-Type: multipart/form-data; boundary=" + w.boundary}));
  EXPECT_NE(w.head.find("Content-Length: " + std::to_string(w.body.size()) + "\r\n"), std::string::npos);
  // --------DHC + mmddyyhhnnsszzz of the local time of sending.
  ASSERT_TRUE(std::regex_match(w.boundary, std::regex("--------DHC[0-9]{15}")));
  const auto hour = [&](std::time_t t) {
    char d[16];
    const std::tm tm = LocalTime(t);
    return w.boundary.compare(11, 8, d, std::strftime(d, sizeof d, "%m%d%y%H", &tm)) == 0;
  };
  EXPECT_TRUE(hour(before) || hour(after)) << w.boundary;
  EXPECT_EQ(w.body, "--" + w.boundary + "\r\nContent-Disposition: form-data; name=POST; filename=GZCompressString\r\n"
                    "Content-Type: application/x-gzip\r\n\r\n" + GzipCompress(kRequest) + "\r\n--" + w.boundary + "--\r\n");
  EXPECT_EQ(w.text, kRequest);
}

// A reply whose header block (status line to the empty line) is exactly total bytes.
std::string ReplyWithHeaderBlockOf(std::size_t total, const std::string& text) {
  const std::string body = GzipCompress(text);
  const std::string start = "HTTP/1.1 200 OK\r\n" + kUtf8Gzip + "Content-Length: " + std::to_string(body.size()) +
                            "\r\nX-Pad: ";
  return start + std::string(total - start.size() - 4, 'p') + "\r\n\r\n" + body;
}

// Status 200, head (lines ended by CR LF), Content-Length unless withLength is false, body.
std::string Plain(const std::string& head, const std::string& body, bool withLength = true) {
  return "HTTP/1.1 200 OK\r\n" + head + (withLength ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "") +
         "\r\n" + body;
}

TEST(HttpClientReply, ExactRepliesGiveTheirTexts) {
  const std::string ok = "<RESULT_CODE>1</RESULT_CODE><C_NAME>한글</C_NAME>";
  const std::string broken = "<RESULT_CODE>1</RESULT_CODE>\xC0\xAF";  // not UTF-8
  const std::string good = GzipCompress(ok);
  std::string badCrc = good;  // each way a member can be broken: the gzip fuzz target's seeds
  badCrc[badCrc.size() - 6] ^= 0x40;
  const std::string plainHead = "Content-Type: text/html\r\n";
  const std::vector<std::array<std::string, 3>> cases = {
      {"gzip, utf-8 charset", Plain(kUtf8Gzip, good), ok + kCallIndex},
      {"gzip, invalid UTF-8 under a utf-8 charset", Plain(kUtf8Gzip, GzipCompress(broken)), kCallIndex},
      {"gzip, no charset: handed on undecoded", Plain("Content-Type: text/html\r\nContent-Encoding: x-gzip\r\n",
                                                  GzipCompress(broken)), broken + kCallIndex},
      {"gzip, no Content-Length", Plain(kUtf8Gzip, good, false), ok + kCallIndex},
      {"X-Content-Type-Options does not stand in for Content-Type",
       Plain("X-Content-Type-Options: nosniff\r\ncontent-type:  text/html; charset=UTF-8 \r\nContent-Encoding: gzip\r\n",
             GzipCompress(broken)), kCallIndex},
      {"no Content-Encoding: header lines in front", Plain(plainHead, ok),
       "<HTTP HEAD>HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(ok.size()) +
           "\r\n\r\n</HTTP HEAD>" + ok + kCallIndex},
      {"plain body, invalid UTF-8 dropped", Plain(plainHead, "ab\xFF"),
       "<HTTP HEAD>HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 3\r\n\r\n</HTTP HEAD>" + kCallIndex},
      {"chunked: the trailer is no header line",
       "HTTP/1.1 200 OK\r\n" + plainHead + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n4\r\n 한\r\n0\r\n"
       "X-Trailer: t\r\n\r\n",
       "<HTTP HEAD>HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n"
       "</HTTP HEAD>hello 한" + kCallIndex},
      {"broken gzip", Plain(kUtf8Gzip, badCrc), "ResponseBuffer Decompress Error" + kCallIndex},
      {"header block of 4096 bytes", ReplyWithHeaderBlockOf(4096, ok), ok + kCallIndex},
      {"header block over 4096 bytes", ReplyWithHeaderBlockOf(4097, ok), "SetResponseHeader Error" + kCallIndex},
      {"empty body", Plain(plainHead, ""), "SetResponseBuffer Error" + kCallIndex},
      {"one-byte body", Plain(plainHead, "1"), "SetResponseBuffer Error" + kCallIndex},
      {"two-byte body", Plain("", "12"),
       "<HTTP HEAD>HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n</HTTP HEAD>12" + kCallIndex},
      {"body cut short of Content-Length", "HTTP/1.1 200 OK\r\nContent-Length: 9000\r\n\r\n" + std::string(50, 'y'),
       "SetResponseBuffer Error" + kCallIndex},
  };
  LoopbackServer server;
  for (const auto& [what, bytes, expected] : cases) {
    server.SetReply(bytes);
    Exchange x(server.Port());
    EXPECT_EQ(x.out.reply, expected) << what;
    // A reply that came but cannot be read may stand for a stored save: never NotSent.
    EXPECT_EQ(x.out.delivery, expected.find(" Error<CALL_INDEX>") == std::string::npos ? Delivery::Replied
                                                                                      : Delivery::Unknown) << what;
  }
  // The download type goes to the download file.
  const std::string bytes("\x00\x01binary\xFF\r\n", 11);
  server.SetReply(Plain("Content-Type: application/x-Download\r\nContent-Encoding: gzip\r\n", bytes));
  std::remove(DownloadFilePath().c_str());
  Exchange x(server.Port());
  EXPECT_TRUE(x.Ok());
  EXPECT_EQ(x.out.reply, "File Download" + kCallIndex);
  EXPECT_EQ(test::ReadFile(DownloadFilePath()), bytes);
}

// Refused, stalled or trickling (once only a stall was watched): each ends at its limit; cases run at once.
TEST(HttpClientFailure, RefusedStalledAndTricklingServersAreGivenUp) {
  TransferLimits low = kRequestLimits;  // the overall limit, low
  low.totalSeconds = 3;
  TransferLimits stall1;  // stall: 1 s, no overall limit
  stall1.connectSeconds = 5;
  stall1.stallSeconds = 1;
  struct Case {
    const char* what;
    const TransferLimits* limits;
    int sentFirst;                 // bytes of the reply before the stall or the trickle; -1: refused
    int trickleMs;                 // 0: a stall
    std::string reply, error;
    double min, max;  // seconds
    Delivery delivery;
  };
  const std::vector<Case> cases = {
      {"refused connection: a request that never left", &low, -1, 0, "Send_PostRequest Error", "127.0.0.1", 0, 8,
       Delivery::NotSent},
      {"StalledServerIsAbandoned: no answer at all", &stall1, 0, 0, "Send_PostRequest Error", "", 0, 8,
       Delivery::Unknown},
      {"StalledServerIsAbandoned: the header block and part of the body, then silence", &stall1, 100, 0,
       "SetResponseBuffer Error", "no data for 1 seconds", 0, 8, Delivery::Unknown},
      {"TricklingServerIsCutOffAtTheOverallLimit: a byte every 2 s after some body", &low, 60, 2000,
       "SetResponseBuffer Error", "timed out", 2.5, 6, Delivery::Unknown},
      {"TricklingServerIsCutOffAtTheOverallLimit: the status line itself trickles", &low, 5, 2000,
       "Send_PostRequest Error", "", 0, 6, Delivery::Unknown},
  };
  std::vector<std::thread> runs;
  for (const Case& c : cases) {
    runs.emplace_back([&c] {
      SCOPED_TRACE(c.what);
      LoopbackServer server;
      server.SetReply(Plain("", std::string(5000, 'y')));
      if (c.trickleMs) server.TrickleAfter(c.sentFirst, c.trickleMs);
      else if (c.sentFirst >= 0) server.StallAfter(c.sentFirst);
      Exchange x(c.sentFirst < 0 ? LoopbackServer::ClosedPort() : server.Port(), c.limits);
      EXPECT_EQ(x.out.reply, c.reply + kCallIndex);
      EXPECT_GE(x.seconds, c.min);
      EXPECT_LT(x.seconds, c.max);
      EXPECT_EQ(x.out.delivery, c.delivery);
      EXPECT_NE(x.out.transportError.find(c.error), std::string::npos) << x.out.transportError;
    });
  }
  for (auto& r : runs) r.join();
  EXPECT_EQ(THTTPClient().Limits().totalSeconds, kRequestLimits.totalSeconds);  // a new client is limited too
}

TEST(TagValue, FindsTheFirstElementOfExactlyThatNameAndTagIntTakesDigitsOnly) {
  const std::string reply = "<RDC_10><G_CODE>B</G_CODE></RDC_10><RDC_1><G_CODE>A</G_CODE></RDC_1>";
  const std::vector<std::array<std::string, 3>> cases = {
      {"RDC_1", reply, "<G_CODE>A</G_CODE>"}, {"RDC_10", reply, "<G_CODE>B</G_CODE>"}, {"G_CODE", reply, "B"},
      {"RDC_2", reply, ""}, {"CALL_INDEX", "<CALL_INDEX></CALL_INDEX>", ""}, {"RESULT_CODE", "</RESULT_CODE>", ""},
      {"RESULT_CODE", "<RESULT_CODE>1", ""}, {"RESULT_CODE", "<result_code>1</result_code>", ""},
      {"A", "</A><A>x</A>", ""},      // the first close decides, even before the open
      {"A", "<A>x</A>y</A>", "x"}};  // a value holding its own closing text is cut short
  for (const auto& [name, text, value] : cases) EXPECT_EQ(TagValue(name, text), value) << name << " in " << text;
  EXPECT_EQ(TagInt("N", "<N>3000</N>"), 3000);
  for (const char* bad : {"<N>abc</N>", "<N></N>", "<N>-1</N>", "<N> 3</N>", "<N>9999999999999999999999</N>"})
    EXPECT_EQ(TagInt("N", bad), 0) << bad;
}

// That the reader agrees with TagValue is the reply_reader fuzz target's.
TEST(ReplyReader, LargestIndexIsReadAndOverflowIsNoIndex) {
  const std::string reply = "<RDC_18446744073709551615>max</RDC_18446744073709551615>"
                            "<RDC_18446744073709551616>0?</RDC_18446744073709551616>";
  const ReplyReader r(reply);
  EXPECT_EQ(r.Record(static_cast<std::size_t>(-1)), "max");
  EXPECT_EQ(r.Record(0), "");
}

}}  // namespace tarvik
