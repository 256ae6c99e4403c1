#include "update/UpdatePasses.h"


#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <utility>

#include "platform/Folders.h"
#include "platform/HostProbe.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "session/Seams.h"
#include "update/CRC32.h"
#include "update/UrlDownload.h"
#include "text/Text.h"

namespace tarvik {

const char* const kNoUpdateServer = "업데이트 서버와 연결할수 없습니다.";
const char* const kNoUpdateServerCap = "접속 실패";
const char* const kManifestError = "업데이트 정보 확인 오류 입니다.";
const char* const kFileError = "파일 다운로드 오류 입니다.";
const char* const kChecking = "업데이트 정보를 확인중 입니다..";
const char* const kUnwritableFolder = "받은 파일을 폴더에 쓸 수 없습니다. 폴더의 쓰기 권한을 확인하십시요.";

namespace {

const char* const kConnecting = "업데이트 서버와 연결중 입니다";
const char* const kManifestName = "TKClienti.dat";
const char* const kNewPrefix = "NEW_";

std::string Counted(int i, int n) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "파일 다운로드중 입니다. ( %d / %d )", i, n);
  return buf;
}

bool Exists(const std::string& path) { return QFileInfo::exists(Q(path)); }

}  // namespace

std::vector<ListEntry> ParseFileList(const std::string& list) {
  std::vector<ListEntry> out;
  std::size_t i = 0;
  while (i < list.size()) {
    const std::size_t end = list.find_first_of("\r\n", i);
    const std::string line = list.substr(i, end == std::string::npos ? std::string::npos : end - i);
    i = end == std::string::npos ? list.size() : end + 1;
    if (line.empty()) continue;
    std::vector<std::string> fields(1);
    char quote = 0;
    for (char c : line) {
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == ',') {
        fields.emplace_back();
        continue;
      }
      fields.back().push_back(c);
    }
    ListEntry e;
    e.name = fields[0];
    e.hasCrc = fields.size() > 1;
    if (e.hasCrc) e.crc = fields[1];
    out.push_back(std::move(e));
  }
  return out;
}

bool IsPlainFileName(const std::string& name) {
  // A NUL would end the name where the file system reads it: "a.dll\0x"
  // would be checked and written as "a.dll".
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string CrcText(std::uint32_t crc) { return std::to_string(crc); }

std::string UrlPathPart(const std::string& name) {
  // Everything but the unreserved characters and the sub-delimiters, ":",
  // "@" and "/" that a path carries as they stand.
  // (QUrl::toPercentEncoding would first read the name as UTF-8; this takes
  // its bytes as they are.)
  const QByteArray bytes(name.data(), static_cast<qsizetype>(name.size()));
  return bytes.toPercentEncoding("!$&'()*+,;=:@/").toStdString();
}

UpdatePasses::UpdatePasses(UpdatePlaces places, const Seams& seams, UpdateView* view)
    : places_(std::move(places)), seams_(seams), view_(view) {}

void UpdatePasses::Prepare() {
  const std::string leftOver = places_.ProgramDir + kNewPrefix + places_.ExeName;
  if (Exists(leftOver)) QFile::remove(Q(leftOver));
  OwnCrc = CrcText(FileCrc32(places_.ProgramDir + places_.ExeName));
}

std::string UpdatePasses::SkinPath() const {
  const std::string base =
      places_.TargetDir.empty() ? places_.ImageDir : IconFolder(places_.TargetDir);
  return base + "update.bmp";
}

void UpdatePasses::Status(const std::string& text) {
  if (view_) view_->ShowStatus(text);
}

std::string UpdatePasses::UrlBase(const std::string& path) const {
  return "http://" + UpdateHost + ":" + std::to_string(seams_.service.server.port) + "/update/" + path;
}

std::string UpdatePasses::FindUpdateHost() {
  // One candidate: the vendor's web server (TARVIK_SERVER may name another).
  const std::vector<std::string> candidates{seams_.service.server.host};
  std::string dots = ".";
  for (const auto& host : candidates) {
    Status(kConnecting + dots);
    if (CanConnect(host, seams_.service.server.port, ProbeTimeoutMs)) return host;
    dots += ".";
  }
  return std::string();
}

bool UpdatePasses::DownloadManifest() {
  ManifestUrl = UrlBase("tkclienti.ini");
  QDir().mkpath(Q(places_.WorkDir));
  TUrlDownload d;
  d.Url = ManifestUrl;
  d.StallSeconds = StallSeconds;
  return d.Download(ManifestPath);
}

std::string UpdatePasses::ReadManifest() const {
  QFile f(Q(ManifestPath));
  if (!f.open(QIODevice::ReadOnly)) return std::string();
  const QByteArray bytes = f.readAll();
  // Read as lines and joined again by CR LF, whatever the file's line ends.
  std::string text;
  std::size_t i = 0;
  const std::string raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  while (i < raw.size()) {
    std::size_t end = raw.find_first_of("\r\n", i);
    if (end == std::string::npos) end = raw.size();
    text.append(raw, i, end - i).append("\r\n");
    if (end < raw.size() && raw[end] == '\r' && end + 1 < raw.size() && raw[end + 1] == '\n') ++end;
    i = end + 1;
  }
  return text;
}

std::vector<std::string> UpdatePasses::ListChangedFiles(const std::string& folder,
                                                        const std::string& list) const {
  std::vector<std::string> changed;
  for (const auto& e : ParseFileList(list)) {
    // A name that would leave the folder is never looked at on disk; listing
    // it makes its fetch fail.
    // An entry without a CRC field never matches, like any other text.
    if (!IsPlainFileName(e.name) || !Exists(folder + e.name) || !e.hasCrc ||
        CrcText(FileCrc32(folder + e.name)) != e.crc) {
      changed.push_back(e.name);
    }
  }
  return changed;
}

int UpdatePasses::CountChangedModules(const std::string& list, const std::string& folder) {
  const auto changed = ListChangedFiles(folder, list);
  if (!changed.empty() && !CopyToWorkDir(folder)) return -1;
  return static_cast<int>(changed.size());
}

bool UpdatePasses::FetchFiles(const std::string& list, const std::string& folder,
                              const std::string& urlBase) {
  if (!Exists(folder)) QDir().mkdir(Q(folder));
  const auto changed = ListChangedFiles(folder, list);
  if (changed.empty()) return true;
  bool ok = true;
  const int n = static_cast<int>(changed.size());
  for (int i = 0; i < n && ok; ++i) {
    Status(Counted(i + 1, n));
    const std::string& name = changed[static_cast<std::size_t>(i)];
    ok = IsPlainFileName(name) && FetchFile(urlBase + UrlPathPart(name), folder + name);
  }
  if (view_) view_->HideProgress();
  return ok;
}

bool UpdatePasses::FetchFile(const std::string& url, const std::string& localPath) {
  TUrlDownload d;
  d.Url = url;
  d.StallSeconds = StallSeconds;
  d.OnDownloadProgress = [this](TUrlDownload& s, std::uint32_t max, std::uint32_t pos,
                                std::uint32_t code, const std::string& text, bool& cancel) {
    FetchProgress(s, max, pos, code, text, cancel);
  };
  const bool ok = d.Download(localPath);
  unwritableFolder_ = !ok && d.ErrorText.rfind("cannot write", 0) == 0 ? FolderOf(localPath) : std::string();
  return ok;
}

void UpdatePasses::FileError(const char* where) const {
  std::string text = std::string(kFileError) + where;
  // A folder the program may not write into (a read-only program folder) is
  // no download error: the clerk is told where the cause lies.
  if (!unwritableFolder_.empty()) text += std::string("\r\r") + kUnwritableFolder + "\r" + ShownPath(unwritableFolder_);
  seams_.prompter.Show(text, "ERROR", PromptIcon::Stop);
}

void UpdatePasses::FetchProgress(TUrlDownload&, std::uint32_t progressMax, std::uint32_t progress,
                                 std::uint32_t, const std::string&, bool& cancel) {
  if (view_) view_->ShowProgress(progressMax, progress);
  cancel = false;
}

bool UpdatePasses::ReachServer() {
  ManifestPath = places_.WorkDir + kManifestName;
  UpdateHost = FindUpdateHost();
  if (UpdateHost.empty()) {
    seams_.prompter.Show(kNoUpdateServer, kNoUpdateServerCap, PromptIcon::Stop);
    return false;
  }
  Status(kChecking);
  return true;
}

bool UpdatePasses::CopyToWorkDir(const std::string& folder) const {
  // Started from the work folder itself, the files are there already; copying
  // a file onto itself would remove it first and lose it.
  const QString from = QFileInfo(Q(folder)).canonicalFilePath();
  if (!from.isEmpty() && from == QFileInfo(Q(places_.WorkDir)).canonicalFilePath()) return true;
  return CopyFolderFiles(folder, places_.WorkDir);
}

int UpdatePasses::CheckUpdate() {
  if (!ReachServer()) return -1;
  if (!DownloadManifest()) {
    seams_.prompter.Show(kManifestError, "ERROR", PromptIcon::Stop);
    return -1;
  }
  ManifestText = ReadManifest();

  if (!FetchFiles(TextBetween(ManifestText, "<IMAGE>", "</IMAGE>"), places_.ImageDir,
                  UrlBase("DATA/IMAGE/"))) {
    FileError("[ 4 ] ");
    return -1;
  }
  const std::string modules = TextBetween(ManifestText, "<MODULE>", "</MODULE>");
  const int count = CountChangedModules(modules, places_.ProgramDir);
  if (!FetchFiles(modules, places_.ProgramDir, UrlBase("DATA/"))) {
    // The modules stay partly fetched; the next start compares again and
    // fetches what still differs. Handing over now would only repeat the
    // same fetch from the copy.
    FileError("[ 5 ] ");
    return -1;
  }
  const int result = count != 0 ? 1 : 0;
  if (TextBetween(ManifestText, "<VERSION>", "</VERSION>") == OwnCrc) return result;
  // The copy must hold the program file itself, whatever the current folder.
  CopyToWorkDir(places_.ProgramDir);
  return 1;
}

bool UpdatePasses::SwapInProgram(const std::string& newPath, const std::string& oldPath) {
  // The new file keeps the old one's permissions (it must stay executable);
  // the rename then replaces the old file in one step, so the folder never
  // lacks a program file.
  const QFileInfo old(Q(oldPath));
  const QFileDevice::Permissions perms =
      old.exists() ? old.permissions()
                   : (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                      QFileDevice::ExeOther);
  QFile::setPermissions(Q(newPath), perms);
  return ReplaceFileWith(newPath, oldPath);
}

int UpdatePasses::ApplyUpdate() {
  if (!ReachServer()) return -1;
  ManifestText = ReadManifest();
  const std::string version = TextBetween(ManifestText, "<VERSION>", "</VERSION>");
  const std::string modules = TextBetween(ManifestText, "<MODULE>", "</MODULE>");
  const std::string dataBase = UrlBase("DATA/");

  if (version != OwnCrc) {
    Status(Counted(1, 1));
    const std::string target = places_.TargetDir + places_.ExeName;
    const std::string fresh = places_.TargetDir + kNewPrefix + places_.ExeName;
    if (!FetchFile(dataBase + UrlPathPart(places_.ExeName), fresh)) {
      FileError("[ 1 ] ");
      return -1;
    }
    const std::string crc = CrcText(FileCrc32(fresh));
    if (crc != version) {
      QFile::remove(Q(fresh));  // a file that fails its check is never kept
      seams_.prompter.Show(std::string(kFileError) + "[ 2 ] ",
                             "WARNING[ " + version + " ] " + "[ " + crc + " ] ",
                             PromptIcon::Warning);
      return -1;
    }
    // A failed swap is not reported: the old program stays, and the next
    // start removes the "NEW_" file and repeats the replacement.
    SwapInProgram(fresh, target);
  }

  if (!FetchFiles(modules, places_.TargetDir, dataBase)) {
    FileError("[ 3 ] ");
    return -1;
  }
  UpdateMessage = " " + TextBetween(ManifestText, "<MESSAGE>", "</MESSAGE>");
  return 2;
}

}  // namespace tarvik
