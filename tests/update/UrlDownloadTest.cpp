// The blocking URL download and the file CRC of the update.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/LoopbackServer.h"
#include "tests/update/UpdateSite.h"
#include "update/CRC32.h"
#include "update/UrlDownload.h"

namespace tarvik { namespace {

using test::LoopbackServer;
using test::ReadFile;
using test::WriteFile;

std::string Body(std::size_t n) {
  std::string b(n, '\0');
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return b;
}
std::size_t FileCount(const QTemporaryDir& dir) { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(); }
std::string UrlOf(std::uint16_t port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

TEST(UrlDownload, FetchesUncachedWithEventsInOrder) {
  LoopbackServer server;
  const std::string body = Body(300000);
  server.SetReply(LoopbackServer::HttpReply({"Content-Type: application/octet-stream"}, body));
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/file.bin";
  TUrlDownload d;
  d.Url = UrlOf(server.Port(), "/update/DATA/file.bin");
  std::vector<std::string> events;
  std::uint32_t lastMax = 0, lastPos = 0, lastStatus = 0;
  d.OnDownloadBegin = [&](TUrlDownload&, const std::string& url) { events.push_back("begin " + url); };
  d.OnDownloadProgress = [&](TUrlDownload&, std::uint32_t max, std::uint32_t pos, std::uint32_t status,
                             const std::string&, bool&) {
    if (events.back() != "progress") events.push_back("progress");
    lastMax = max, lastPos = pos, lastStatus = status;
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

// An HTTP error status, a transfer that stops half-way (given up after the
// stall time), nobody listening; a progress handler that cancels, or sets
// Aborted while the transfer runs.
TEST(UrlDownload, FailuresAndCancelsKeepTheOldFileAndLeaveNoTemporaryFile) {
  LoopbackServer server;
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/module.so";
  WriteFile(path, "old module");
  const auto cancel = [](TUrlDownload&, std::uint32_t, std::uint32_t, std::uint32_t, const std::string&, bool& c) {
    c = true;
  };
  const auto abort = [](TUrlDownload& s, std::uint32_t, std::uint32_t, std::uint32_t, const std::string&, bool&) {
    s.Aborted = true;
  };
  const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found";
  const struct {
    const char* what;
    std::string reply;
    int stallAfter;  // -1: none
    bool refused;
    TUrlDownload::ProgressEvent progress;
    bool aborts;  // the handler sets Aborted
  } cases[] = {
      {"404", notFound, -1, false, nullptr, false},
      {"stalled", LoopbackServer::HttpReply({}, Body(100000)), 50000, false, nullptr, false},
      {"refused", "", -1, true, nullptr, false},
      {"cancelled by the handler", LoopbackServer::HttpReply({}, Body(200000)), -1, false, cancel, false},
      {"aborted by the holder", LoopbackServer::HttpReply({}, Body(200000)), -1, false, abort, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    server.SetReply(c.reply);
    if (c.stallAfter >= 0) server.StallAfter(static_cast<std::size_t>(c.stallAfter));
    TUrlDownload d;
    d.Url = UrlOf(c.refused ? LoopbackServer::ClosedPort() : server.Port(), "/update/DATA/module.so");
    d.StallSeconds = 1;
    d.Aborted = true;  // cleared by Download at its start
    int reports = 0;
    std::string endError = "no end";
    if (c.progress) d.OnDownloadProgress = [&](auto&&... a) { ++reports, c.progress(a...); };
    d.OnDownloadEnd = [&](TUrlDownload& s) { endError = s.ErrorText; };
    EXPECT_FALSE(d.Download(path));
    EXPECT_TRUE(c.progress || !d.ErrorText.empty());
    EXPECT_EQ(reports, c.progress ? 1 : 0);  // the first report stops it
    EXPECT_EQ(d.Aborted, c.aborts);
    EXPECT_TRUE(c.refused || endError == d.ErrorText) << endError;  // stored before the end event
    EXPECT_EQ(ReadFile(path), "old module");
    EXPECT_EQ(FileCount(dir), 1u);
  }
}

TEST(FileCrc32, CommonCrcOfWholeFile) {
  QTemporaryDir dir;
  // A folder named in Korean: a narrow C call on Windows would not find it.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("타르빅")));
  const std::string base = dir.path().toStdString() + "/타르빅", big = Body(65521 * 3 + 17);  // blocks, the last partial
  WriteFile(base + "/abc", "abc");
  WriteFile(base + "/empty", "");
  WriteFile(base + "/big", big);
  EXPECT_EQ(FileCrc32(base + "/abc"), 891568578u);
  for (const char* none : {"/empty", "/missing", ""}) EXPECT_EQ(FileCrc32(base + none), 0u) << none;  // "": a folder
  EXPECT_EQ(CrcText(FileCrc32(base + "/big")), test::CrcOf(big));
}

}}  // namespace tarvik
