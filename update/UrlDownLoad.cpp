#include "update/UrlDownLoad.h"

#include <curl/curl.h>

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>

namespace tarvik {
namespace {

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// What the curl callbacks need while a transfer runs.
struct Transfer {
  TUrlDownload* self = nullptr;
  CURL* curl = nullptr;
  QSaveFile* file = nullptr;
  bool writeFailed = false;
  bool stalled = false;
  curl_off_t lastCount = 0;
  std::chrono::steady_clock::time_point lastData = std::chrono::steady_clock::now();
};

std::uint32_t Clamp32(curl_off_t v) {
  if (v <= 0) return 0;
  return static_cast<std::uint32_t>(
      std::min<curl_off_t>(v, std::numeric_limits<std::uint32_t>::max()));
}

size_t OnData(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (t->file->write(data, static_cast<qint64>(bytes)) != static_cast<qint64>(bytes)) {
    t->writeFailed = true;
    return 0;  // makes curl end the transfer with a write error
  }
  return bytes;
}

int OnProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  TUrlDownload& d = *t->self;
  // curl reports at least once a second, data or not: the stall clock.
  const auto now = std::chrono::steady_clock::now();
  if (dlnow != t->lastCount) {
    t->lastCount = dlnow;
    t->lastData = now;
  } else if (now - t->lastData > std::chrono::seconds(d.StallSeconds)) {
    t->stalled = true;
    return 1;
  }
  bool cancel = false;
  if (d.OnDownloadProgress) {
    long status = 0;
    curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &status);
    d.OnDownloadProgress(d, Clamp32(dltotal), Clamp32(dlnow), static_cast<std::uint32_t>(status),
                         d.Url, cancel);
  }
  return (cancel || d.Aborted) ? 1 : 0;  // non-zero aborts the transfer
}

}  // namespace

bool TUrlDownload::Download(const std::string& localPath) {
  Aborted = false;
  Started = true;
  if (OnDownloadBegin) OnDownloadBegin(*this, Url);

  bool transferOk = false;
  {
    QSaveFile file(QString::fromUtf8(localPath.c_str()));
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!file.open(QIODevice::WriteOnly)) {
      ErrorText = "cannot write " + localPath;
    } else if (!curl) {
      ErrorText = "cannot start a transfer";
    } else {
      Transfer t;
      t.self = this;
      t.curl = curl.get();
      t.file = &file;
      std::unique_ptr<curl_slist, SlistDeleter> headers(
          curl_slist_append(nullptr, "Cache-Control: no-cache"));
      if (headers) curl_slist_append(headers.get(), "Pragma: no-cache");
      char errbuf[CURL_ERROR_SIZE] = {0};
      CURL* c = curl.get();
      curl_easy_setopt(c, CURLOPT_URL, Url.c_str());
      curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
      curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
      curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
      curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
      curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
      curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
      curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, ConnectTimeoutSeconds);
      curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
      curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &OnData);
      curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
      curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
      curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
      curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);

      const CURLcode rc = curl_easy_perform(c);
      if (rc == CURLE_OK) {
        if (!file.commit()) {
          ErrorText = "cannot write " + localPath;
        } else {
          transferOk = true;
        }
      } else if (t.writeFailed) {
        ErrorText = "cannot write " + localPath;
      } else if (t.stalled) {
        ErrorText = "no data for " + std::to_string(StallSeconds) + " seconds";
      } else {
        ErrorText = errbuf[0] ? std::string(errbuf) : std::string(curl_easy_strerror(rc));
      }
      // An uncommitted QSaveFile removes its temporary file when it goes.
    }
  }

  if (OnDownloadEnd) OnDownloadEnd(*this);
  return !Aborted && ErrorText.empty() && Started && transferOk;
}

}  // namespace tarvik
