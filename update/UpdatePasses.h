#pragma once
// The two passes of the self-update, without widgets: the check pass of a
// normal start and the replacement pass of the temporary copy. They report
// status text and progress through an UpdateView (the start-up screen in the
// program) and every failure through the Seams' prompter; the update server
// is the Seams' service server.
#include <cstdint>
#include <string>
#include <vector>

namespace tarvik {

class TUrlDownload;
struct Seams;

// Where the passes work. Every folder ends with "/".
struct UpdatePlaces {
  std::string ProgramDir;  // folder of the running program file
  std::string ExeName;     // file name of the running program file
  std::string WorkDir;     // the work folder the copy runs from
  std::string TargetDir;   // replacement pass: the installed program's folder; else empty
  std::string ImageDir;    // the icon folder ("icon/" of the current folder)
};

// The start-up screen as the passes see it.
class UpdateView {
 public:
  virtual ~UpdateView() = default;
  virtual void ShowStatus(const std::string& text) = 0;  // then repaint once
  virtual void ShowProgress(std::uint32_t max, std::uint32_t position) = 0;  // shows the bar
  virtual void HideProgress() = 0;
};

// One line of a manifest file list: name, CRC-32 text (not trimmed).
struct ListEntry {
  std::string name;
  std::string crc;
  bool hasCrc = false;
};

// Lines split at CR and LF, empty lines skipped, each split at "," outside
// single or double quotes (the quotes stay in the field).
std::vector<ListEntry> ParseFileList(const std::string& list);
// True for a name that stays inside its folder: not empty, no "/", "\" or
// NUL, not "." or "..".
bool IsPlainFileName(const std::string& name);
// "%u" form of a CRC-32.
std::string CrcText(std::uint32_t crc);
// name with the bytes a URL path cannot carry percent-encoded.
std::string UrlPathPart(const std::string& name);

class UpdatePasses {
 public:
  // seams and view (may be null) must outlive the passes.
  UpdatePasses(UpdatePlaces places, const Seams& seams, UpdateView* view);

  // What the start-up screen does when created: removes a left-over
  // ProgramDir + "NEW_" + ExeName and computes OwnCrc.
  void Prepare();
  // The skin bitmap: "update.bmp" in the icon folder (of TargetDir when set).
  std::string SkinPath() const;

  // Check pass: -1 cannot go on (message shown), 0 current, 1 hand over to
  // the copy in WorkDir.
  int CheckUpdate();
  // Replacement pass: -1 failed (message shown), 2 done (UpdateMessage set).
  int ApplyUpdate();

  // The steps, public for the tests.
  std::string FindUpdateHost();  // empty when no candidate answered
  bool DownloadManifest();
  std::string ReadManifest() const;
  std::vector<std::string> ListChangedFiles(const std::string& folder,
                                            const std::string& list) const;
  int CountChangedModules(const std::string& list, const std::string& folder);
  bool FetchFiles(const std::string& list, const std::string& folder, const std::string& urlBase);
  bool FetchFile(const std::string& url, const std::string& localPath);
  void FetchProgress(TUrlDownload& sender, std::uint32_t progressMax, std::uint32_t progress,
                     std::uint32_t statusCode, const std::string& statusText, bool& cancel);

  const UpdatePlaces& Places() const { return places_; }
  std::string UpdateHost;
  std::string ManifestPath;
  std::string ManifestUrl;
  std::string ManifestText;
  std::string OwnCrc;
  std::string UpdateMessage;  // " " + the manifest's message after a replacement pass

  int ProbeTimeoutMs = 3000;  // how long the TCP probe waits for the server
  long StallSeconds = 30;     // a download without data for this long is given up

 private:
  // Sets ManifestPath and UpdateHost; false, with the message shown, when no
  // server answered.
  bool ReachServer();
  bool CopyToWorkDir(const std::string& folder) const;
  std::string UrlBase(const std::string& path) const;
  void Status(const std::string& text);
  bool SwapInProgram(const std::string& newPath, const std::string& oldPath);
  // "파일 다운로드 오류 입니다." + where; after a fetch that could not write
  // its file, with the folder and kUnwritableFolder.
  void FileError(const char* where) const;

  UpdatePlaces places_;
  const Seams& seams_;
  UpdateView* view_;
  std::string unwritableFolder_;  // the last fetch's, when it could not write its file
};

// Texts of the passes.
extern const char* const kNoUpdateServer;     // "업데이트 서버와 연결할수 없습니다."
extern const char* const kNoUpdateServerCap;  // "접속 실패"
extern const char* const kManifestError;      // "업데이트 정보 확인 오류 입니다."
extern const char* const kFileError;          // "파일 다운로드 오류 입니다."
extern const char* const kChecking;           // "업데이트 정보를 확인중 입니다.."
extern const char* const kUnwritableFolder;   // "받은 파일을 폴더에 쓸 수 없습니다. ..."

}  // namespace tarvik
