#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <zlib.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "tests/support/LoopbackServer.h"
#include "update/CRC32.h"
#include "update/UrlDownLoad.h"

namespace tarvik {
namespace {

using test::LoopbackServer;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

std::string Body(std::size_t n) {
  std::string b(n, '\0');
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return b;
}

std::size_t FileCount(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size();
}

struct Recorded {
  std::vector<std::string> events;
  std::uint32_t lastMax = 0, lastPos = 0, lastStatus = 0;
  std::string endError;
};

void Record(TUrlDownload& d, Recorded& r) {
  d.OnDownloadBegin = [&r](TUrlDownload&, const std::string& url) { r.events.push_back("begin " + url); };
  d.OnDownloadProgress = [&r](TUrlDownload&, std::uint32_t max, std::uint32_t pos,
                              std::uint32_t status, const std::string&, bool&) {
    if (r.events.empty() || r.events.back() != "progress") r.events.push_back("progress");
    r.lastMax = max;
    r.lastPos = pos;
    r.lastStatus = status;
  };
  d.OnDownloadEnd = [&r](TUrlDownload& s) {
    r.events.push_back("end");
    r.endError = s.ErrorText;
  };
}

TEST(UrlDownload, FetchesUncachedWithEventsInOrder) {
  LoopbackServer server;
  const std::string body = Body(300000);
  server.SetReply(LoopbackServer::HttpReply({"Content-Type: application/octet-stream"}, body));
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/file.bin";
  TUrlDownload d;
  d.Url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/update/DATA/file.bin";
  Recorded r;
  Record(d, r);

  ASSERT_TRUE(d.Download(path));
  EXPECT_TRUE(d.Started);
  EXPECT_TRUE(d.ErrorText.empty());
  EXPECT_EQ(ReadAll(path), body);
  ASSERT_EQ(r.events.size(), 3u);
  EXPECT_EQ(r.events[0], "begin " + d.Url);
  EXPECT_EQ(r.events[1], "progress");
  EXPECT_EQ(r.events[2], "end");
  // The maximum comes before the position: the last report is size, size.
  EXPECT_EQ(r.lastMax, body.size());
  EXPECT_EQ(r.lastPos, body.size());
  EXPECT_EQ(r.lastStatus, 200u);

  const std::string req = server.LastRequest();
  EXPECT_EQ(req.rfind("GET /update/DATA/file.bin HTTP/1.1\r\n", 0), 0u) << req;
  EXPECT_NE(req.find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << req;
  EXPECT_NE(req.find("\r\nPragma: no-cache\r\n"), std::string::npos) << req;
  EXPECT_EQ(FileCount(dir), 1u);  // no temporary file left beside it
}

TEST(UrlDownload, FailuresKeepTheOldFileAndLeaveNoTemporaryFile) {
  LoopbackServer server;
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/module.so";
  WriteAll(path, "old module");
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/update/DATA/module.so";

  {  // an HTTP error status is a failure with an error text, stored before the end event
    server.SetReply("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
    TUrlDownload d;
    d.Url = url;
    Recorded r;
    Record(d, r);
    EXPECT_FALSE(d.Download(path));
    EXPECT_FALSE(d.ErrorText.empty());
    EXPECT_EQ(r.endError, d.ErrorText);
    EXPECT_EQ(ReadAll(path), "old module");
  }
  {  // a transfer that stops half-way is given up after the stall time
    const std::string body = Body(100000);
    server.SetReply(LoopbackServer::HttpReply({}, body));
    server.StallAfter(50000);
    TUrlDownload d;
    d.Url = url;
    d.StallSeconds = 1;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(d.Download(path));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_FALSE(d.ErrorText.empty());
    EXPECT_EQ(ReadAll(path), "old module");
  }
  {  // a reply cut short by a closed connection
    server.SetReply("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly a part");
    TUrlDownload d;
    d.Url = url;
    EXPECT_FALSE(d.Download(path));
    EXPECT_EQ(ReadAll(path), "old module");
  }
  {  // nobody listening; no events set
    TUrlDownload d;
    d.Url = "http://127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort()) + "/x";
    EXPECT_FALSE(d.Download(path));
    EXPECT_FALSE(d.ErrorText.empty());
    EXPECT_EQ(ReadAll(path), "old module");
  }
  EXPECT_EQ(FileCount(dir), 1u);
}

TEST(UrlDownload, ProgressHandlerCancelsTheTransfer) {
  LoopbackServer server;
  server.SetReply(LoopbackServer::HttpReply({}, Body(200000)));
  QTemporaryDir dir;
  const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/big";

  {  // through the Cancel argument
    TUrlDownload d;
    d.Url = url;
    int reports = 0;
    d.OnDownloadProgress = [&](TUrlDownload&, std::uint32_t, std::uint32_t, std::uint32_t,
                               const std::string&, bool& cancel) {
      ++reports;
      cancel = true;
    };
    EXPECT_FALSE(d.Download(dir.path().toStdString() + "/a"));
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(QFile::exists(dir.path() + "/a"));
  }
  {  // through Aborted, set by the holder while the transfer runs
    TUrlDownload d;
    d.Url = url;
    d.Aborted = true;  // cleared by Download at its start
    d.OnDownloadProgress = [](TUrlDownload& s, std::uint32_t, std::uint32_t, std::uint32_t,
                              const std::string&, bool&) { s.Aborted = true; };
    EXPECT_FALSE(d.Download(dir.path().toStdString() + "/b"));
    EXPECT_TRUE(d.Aborted);
    EXPECT_FALSE(QFile::exists(dir.path() + "/b"));
  }
  EXPECT_EQ(FileCount(dir), 0u);
}

TEST(FileCrc32, CommonCrcOfWholeFile) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  WriteAll(base + "/abc", "abc");
  WriteAll(base + "/empty", "");
  EXPECT_EQ(FileCrc32(base + "/abc"), 891568578u);
  EXPECT_EQ(FileCrc32(base + "/empty"), 0u);
  EXPECT_EQ(FileCrc32(base + "/missing"), 0u);
  EXPECT_EQ(FileCrc32(base), 0u);  // a folder cannot be read as a file

  // Several blocks of the read buffer, the last one partial.
  const std::string big = Body(65521 * 3 + 17);
  WriteAll(base + "/big", big);
  const auto expected = crc32(0L, reinterpret_cast<const Bytef*>(big.data()),
                              static_cast<uInt>(big.size()));
  EXPECT_EQ(FileCrc32(base + "/big"), expected);
}

}  // namespace
}  // namespace tarvik
