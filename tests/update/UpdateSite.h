#pragma once
// Test scenery of the self-update: an update folder as the server gives it
// out (tkclienti.ini, DATA/, DATA/IMAGE/), an installed program folder, a
// work folder and an icon folder, all below one temporary folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "update/CRC32.h"
#include "update/UpdatePasses.h"

namespace tarvik::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

inline std::string CrcOf(const std::string& data) {
  QTemporaryDir d;
  const std::string p = d.path().toStdString() + "/f";
  WriteFile(p, data);
  return CrcText(FileCrc32(p));
}

struct UpdateSite {
  UpdateSite() {
    root = tmp.path().toStdString() + "/";
    serverDir = root + "srv/";
    programDir = root + "installed client/";
    workDir = root + "work/";
    imageDir = programDir + "icon/";
    QDir().mkpath(QString::fromStdString(serverDir + "DATA/IMAGE"));
    QDir().mkpath(QString::fromStdString(programDir));
    WriteFile(programDir + exeName, "old program");
  }

  // Places of the check pass run from the installed folder.
  UpdatePlaces CheckPlaces() const { return {programDir, exeName, workDir, "", imageDir}; }
  // Places of the replacement pass run from the copy in the work folder.
  UpdatePlaces ApplyPlaces() const { return {workDir, exeName, workDir, programDir, imageDir}; }

  void ServeModule(const std::string& name, const std::string& data) {
    WriteFile(serverDir + "DATA/" + name, data);
  }
  void ServeImage(const std::string& name, const std::string& data) {
    WriteFile(serverDir + "DATA/IMAGE/" + name, data);
  }
  void Manifest(const std::string& sections) { WriteFile(serverDir + "tkclienti.ini", sections); }
  // A manifest with the four sections.
  static std::string Sections(const std::string& version, const std::string& modules,
                              const std::string& images, const std::string& message) {
    return "<VERSION>" + version + "</VERSION>\r\n<MODULE>\r\n" + modules + "</MODULE>\r\n<IMAGE>\r\n" +
           images + "</IMAGE>\r\n<MESSAGE>" + message + "</MESSAGE>\r\n";
  }

  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> out;
    for (const QString& f : QDir(QString::fromStdString(workDir)).entryList(QDir::Files))
      out.push_back(f.toStdString());
    return out;
  }

  QTemporaryDir tmp;
  std::string root, serverDir, programDir, workDir, imageDir;
  std::string exeName = "TKClientI";
};

// The start-up screen as the passes see it, recorded.
struct RecordingView : UpdateView {
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowProgress(std::uint32_t max, std::uint32_t position) override {
    ++progressReports;
    lastMax = max;
    lastPosition = position;
    barShown = true;
  }
  void HideProgress() override { barShown = false; }
  bool Saw(const std::string& text) const {
    for (const auto& s : statuses)
      if (s == text) return true;
    return false;
  }
  std::vector<std::string> Downloads() const {  // the counted status lines
    std::vector<std::string> out;
    for (const auto& s : statuses)
      if (s.rfind("파일 다운로드중", 0) == 0) out.push_back(s);
    return out;
  }
  std::vector<std::string> statuses;
  int progressReports = 0;
  std::uint32_t lastMax = 0, lastPosition = 0;
  bool barShown = false;
};

}  // namespace tarvik::test
