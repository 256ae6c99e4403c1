#pragma once
// Test scenery of the self-update, below one temporary folder: an update
// folder as the server gives it out (tkclienti.ini, DATA/, DATA/IMAGE/), an
// installed program folder with its icon folder, and a work folder.
#include <zlib.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "tests/support/Files.h"
#include "update/UpdatePasses.h"

namespace tarvik::test {

// "%u" of the CRC-32 of data, computed apart from FileCrc32.
inline std::string CrcOf(const std::string& data) {
  return CrcText(static_cast<std::uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()))));
}

inline std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> out;
  for (const QString& f : QDir(QString::fromStdString(dir)).entryList(QDir::Files)) out.push_back(f.toStdString());
  return out;
}

struct UpdateSite {
  UpdateSite() {
    QDir().mkpath(QString::fromStdString(serverDir + "DATA/IMAGE"));
    QDir().mkpath(QString::fromStdString(imageDir));
    WriteFile(programDir + exeName, "old program");
  }
  UpdatePlaces CheckPlaces() const { return {programDir, exeName, workDir, "", imageDir}; }
  // The replacement pass runs from the copy in the work folder.
  UpdatePlaces ApplyPlaces() const { return {workDir, exeName, workDir, programDir, imageDir}; }
  void Serve(const std::string& path, const std::string& data) { WriteFile(serverDir + "DATA/" + path, data); }
  void Manifest(const std::string& version, const std::string& modules, const std::string& images = "",
                const std::string& message = "") {
    WriteFile(serverDir + "tkclienti.ini", "<VERSION>" + version + "</VERSION>\r\n<MODULE>\r\n" + modules +
                                               "</MODULE>\r\n<IMAGE>\r\n" + images + "</IMAGE>\r\n<MESSAGE>" +
                                               message + "</MESSAGE>\r\n");
  }

  QTemporaryDir tmp;
  std::string root = tmp.path().toStdString() + "/", serverDir = root + "srv/", programDir = root + "installed client/";
  std::string workDir = root + "work/", imageDir = programDir + "icon/", exeName = "TKClientI";
};

// The start-up screen as the passes see it, recorded.
struct RecordingView : UpdateView {
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowProgress(std::uint32_t max, std::uint32_t position) override {
    lastMax = max;
    lastPosition = position;
    barShown = true;
  }
  void HideProgress() override { barShown = false; }
  std::vector<std::string> Downloads() const {  // the counted status lines
    std::vector<std::string> out;
    for (const auto& s : statuses)
      if (s.rfind("파일 다운로드중", 0) == 0) out.push_back(s);
    return out;
  }
  std::vector<std::string> statuses;
  std::uint32_t lastMax = 0, lastPosition = 0;
  bool barShown = false;
};

}  // namespace tarvik::test
