#pragma once
// One HTTP GET of one URL into one local file, blocking the calling thread,
// with events for begin, progress (which may cancel) and end. One object
// serves one download; the holder creates a new one per file.
#include <cstdint>
#include <functional>
#include <string>

namespace tarvik {

class TUrlDownload {
 public:
  using BeginEvent = std::function<void(TUrlDownload& sender, const std::string& url)>;
  using EndEvent = std::function<void(TUrlDownload& sender)>;
  // Maximum before position (0 while the size is unknown). statusCode is the
  // HTTP status so far (0 before the reply head), statusText the URL.
  using ProgressEvent =
      std::function<void(TUrlDownload& sender, std::uint32_t progressMax, std::uint32_t progress,
                         std::uint32_t statusCode, const std::string& statusText, bool& cancel)>;

  std::string Url;
  bool Aborted = false;   // set during a transfer: the next progress report cancels it
  std::string ErrorText;  // why the transfer failed; empty when it did not
  bool Started = false;   // the transfer was begun
  BeginEvent OnDownloadBegin;
  EndEvent OnDownloadEnd;
  ProgressEvent OnDownloadProgress;

  // Bounds of a transfer: time to connect, and seconds without any data
  // after which a stalled transfer is given up.
  long ConnectTimeoutSeconds = 60;
  long StallSeconds = 30;

  // Downloads Url into localPath, bypassing every cache. The data go to a
  // temporary file beside localPath that replaces localPath only when the
  // transfer is complete, so a failed or cancelled download leaves localPath
  // as it was. True only when not aborted, no error text, started, and the
  // transfer succeeded with an HTTP status below 400. Never throws.
  bool Download(const std::string& localPath);
};

}  // namespace tarvik
