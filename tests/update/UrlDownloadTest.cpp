#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <chrono>

#include "tests/support/LoopbackServer.h"
#include "tests/update/UpdateSite.h"
#include "update/CRC32.h"
#include "update/UrlDownLoad.h"

namespace tarvik {
namespace {

using test::LoopbackServer;
using test::ReadFile;
using test::WriteFile;

std::string Body(std::size_t n) {
  std::string b(n, '\0');
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return b;
}

std::size_t FileCount(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size();
}

std::string UrlOf(const LoopbackServer& s, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(s.Port()) + path;
}

TEST(UrlDownload, FetchesUncachedWithEventsInOrder) {
  LoopbackServer server;
  const std::string body = Body(300000);
  server.SetReply(LoopbackServer::HttpReply({"Content-Type: application/octet-stream"}, body));
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/file.bin";
  TUrlDownload d;
  d.Url = UrlOf(server, "/update/DATA/file.bin");
  std::vector<std::string> events;
  std::uint32_t lastMax = 0, lastPos = 0, lastStatus = 0;
  d.OnDownloadBegin = [&](TUrlDownload&, const std::string& url) { events.push_back("begin " + url); };
  d.OnDownloadProgress = [&](TUrlDownload&, std::uint32_t max, std::uint32_t pos, std::uint32_t status,
                             const std::string&, bool&) {
    if (events.back() != "progress") events.push_back("progress");
    lastMax = max;
    lastPos = pos;
    lastStatus = status;
  };
  d.OnDownloadEnd = [&](TUrlDownload&) { events.push_back("end"); };

  ASSERT_TRUE(d.Download(path));
  EXPECT_TRUE(d.Started && d.ErrorText.empty());
  EXPECT_EQ(ReadFile(path), body);
  EXPECT_EQ(events, (std::vector<std::string>{"begin " + d.Url, "progress", "end"}));
  // The maximum comes before the position: the last report is size, size.
  EXPECT_EQ(lastMax, body.size());
  EXPECT_EQ(lastPos, body.size());
  EXPECT_EQ(lastStatus, 200u);

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
  WriteFile(path, "old module");
  const std::string url = UrlOf(server, "/update/DATA/module.so");

  {  // an HTTP error status is a failure with an error text, stored before the end event
    server.SetReply("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
    TUrlDownload d;
    d.Url = url;
    std::string endError;
    d.OnDownloadEnd = [&](TUrlDownload& s) { endError = s.ErrorText; };
    EXPECT_FALSE(d.Download(path));
    EXPECT_FALSE(d.ErrorText.empty());
    EXPECT_EQ(endError, d.ErrorText);
  }
  {  // a transfer that stops half-way is given up after the stall time
    server.SetReply(LoopbackServer::HttpReply({}, Body(100000)));
    server.StallAfter(50000);
    TUrlDownload d;
    d.Url = url;
    d.StallSeconds = 1;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(d.Download(path));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_FALSE(d.ErrorText.empty());
  }
  {  // nobody listening; no events set
    TUrlDownload d;
    d.Url = "http://127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort()) + "/x";
    EXPECT_FALSE(d.Download(path));
    EXPECT_FALSE(d.ErrorText.empty());
  }
  EXPECT_EQ(ReadFile(path), "old module");
  EXPECT_EQ(FileCount(dir), 1u);
}

TEST(UrlDownload, ProgressHandlerCancelsTheTransfer) {
  LoopbackServer server;
  server.SetReply(LoopbackServer::HttpReply({}, Body(200000)));
  QTemporaryDir dir;

  TUrlDownload byCancel;  // through the Cancel argument
  byCancel.Url = UrlOf(server, "/big");
  int reports = 0;
  byCancel.OnDownloadProgress = [&](TUrlDownload&, std::uint32_t, std::uint32_t, std::uint32_t,
                                    const std::string&, bool& cancel) {
    ++reports;
    cancel = true;
  };
  EXPECT_FALSE(byCancel.Download(dir.path().toStdString() + "/a"));
  EXPECT_EQ(reports, 1);

  TUrlDownload byAborted;  // through Aborted, set by the holder while the transfer runs
  byAborted.Url = byCancel.Url;
  byAborted.Aborted = true;  // cleared by Download at its start
  byAborted.OnDownloadProgress = [](TUrlDownload& s, std::uint32_t, std::uint32_t, std::uint32_t,
                                    const std::string&, bool&) { s.Aborted = true; };
  EXPECT_FALSE(byAborted.Download(dir.path().toStdString() + "/b"));
  EXPECT_TRUE(byAborted.Aborted);
  EXPECT_EQ(FileCount(dir), 0u);
}

TEST(FileCrc32, CommonCrcOfWholeFile) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  WriteFile(base + "/abc", "abc");
  WriteFile(base + "/empty", "");
  EXPECT_EQ(FileCrc32(base + "/abc"), 891568578u);
  EXPECT_EQ(FileCrc32(base + "/empty"), 0u);
  EXPECT_EQ(FileCrc32(base + "/missing"), 0u);
  EXPECT_EQ(FileCrc32(base), 0u);  // a folder cannot be read as a file
  // Several blocks of the read buffer, the last one partial.
  const std::string big = Body(65521 * 3 + 17);
  WriteFile(base + "/big", big);
  EXPECT_EQ(CrcText(FileCrc32(base + "/big")), test::CrcOf(big));
}

}  // namespace
}  // namespace tarvik
