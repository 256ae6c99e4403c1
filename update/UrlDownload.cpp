#include "update/UrlDownload.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <limits>

#include "net/CurlTransfer.h"
#include "platform/Folders.h"

namespace tarvik {
namespace {

std::uint32_t Clamp32(curl_off_t v) {
  if (v <= 0) return 0;
  return static_cast<std::uint32_t>(
      std::min<curl_off_t>(v, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

bool TUrlDownload::Download(const std::string& localPath) {
  Aborted = false;
  Started = true;
  if (OnDownloadBegin) OnDownloadBegin(*this, Url);

  bool transferOk = false;
  {
    QSaveFile file(QString::fromUtf8(localPath.c_str()));
    CurlTransfer transfer;
    if (!file.open(QIODevice::WriteOnly)) {
      ErrorText = "cannot write " + localPath;
    } else if (!transfer.Valid()) {
      ErrorText = "cannot start a transfer";
    } else {
      bool writeFailed = false;
      long long received = 0;
      transfer.SetHeaders({"Cache-Control: no-cache", "Pragma: no-cache"});
      TransferLimits limits;
      limits.connectSeconds = static_cast<int>(ConnectTimeoutSeconds);
      limits.stallSeconds = static_cast<int>(StallSeconds);
      transfer.SetLimits(limits);  // no overall limit: a large file on a slow line may take long
      transfer.SetBodySink([&](const char* data, std::size_t n) {
        writeFailed = file.write(data, static_cast<qint64>(n)) != static_cast<qint64>(n);
        received += static_cast<long long>(n);
        return !writeFailed;
      });
      transfer.SetProgressHook([&](curl_off_t total, curl_off_t now) {
        bool cancel = false;
        if (OnDownloadProgress) {
          OnDownloadProgress(*this, Clamp32(total), Clamp32(now),
                             static_cast<std::uint32_t>(transfer.ResponseCode()), Url, cancel);
        }
        return !cancel && !Aborted;
      });
      CURL* c = transfer.Handle();
      curl_easy_setopt(c, CURLOPT_URL, Url.c_str());
      curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
      curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
      curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
      curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
      curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);

      const CURLcode rc = transfer.Perform();
      if (rc == CURLE_OK) {
        // Only the whole body replaces the file: a program file cut short by a
        // full disk must not reach the CRC check as if it had come whole.
        if (!CommitWhole(file, received)) {
          ErrorText = "cannot write " + localPath;
        } else {
          transferOk = true;
        }
      } else if (writeFailed) {
        ErrorText = "cannot write " + localPath;
      } else {
        ErrorText = transfer.ErrorText();
      }
      // An uncommitted QSaveFile removes its temporary file when it goes.
    }
  }

  if (OnDownloadEnd) OnDownloadEnd(*this);
  return !Aborted && ErrorText.empty() && Started && transferOk;
}

}  // namespace tarvik
