#include "session/Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cctype>

#include "platform/Folders.h"
#include "platform/QtText.h"
#include "text/Text.h"

namespace tarvik {
namespace {

// user.ini is a plain sections-and-keys file. Values are taken as they stand
// after "=" (leading blanks kept), so the common settings libraries, which
// trim or quote values, are not used for it.
struct IniFile {
  std::vector<std::string> lines;

  bool Load(const std::string& path) {
    QFile in(Q(path));  // never a narrow file call: the folder may be named in Korean
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = in.readAll();
    std::size_t start = 0;
    const std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      start = end + 1;
    }
    return true;
  }

  static std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
  }

  static bool IsSection(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    if (name) *name = t.substr(1, t.size() - 2);
    return true;
  }

  static bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
        return false;
      }
    }
    return true;
  }

  // Index of the key's line within section, or -1; sectionEnd gets the line
  // index after the section's last line (-1 when the section is absent).
  int Find(const std::string& section, const std::string& key, int* sectionEnd) const {
    bool in = false;
    int found = -1;
    *sectionEnd = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string name;
      if (IsSection(lines[i], &name)) {
        if (in) break;
        in = SameName(name, section);
        if (in) *sectionEnd = static_cast<int>(i) + 1;
        continue;
      }
      if (!in) continue;
      *sectionEnd = static_cast<int>(i) + 1;
      const auto eq = lines[i].find('=');
      if (eq != std::string::npos && SameName(Trim(lines[i].substr(0, eq)), key) && found < 0) {
        found = static_cast<int>(i);
      }
    }
    return found;
  }

  std::string Read(const std::string& section, const std::string& key) const {
    int end;
    const int at = Find(section, key, &end);
    if (at < 0) return std::string();
    return lines[at].substr(lines[at].find('=') + 1);
  }

  void Write(const std::string& section, const std::string& key, const std::string& value) {
    int end;
    const int at = Find(section, key, &end);
    const std::string line = key + "=" + value;
    if (at >= 0) {
      lines[at] = line;
    } else if (end >= 0) {
      lines.insert(lines.begin() + end, line);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(line);
    }
  }

  // Through a temporary file: a failed write never leaves half a file.
  bool Save(const std::string& path) const {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return WriteFileReplacing(path, text);
  }
};

bool FileExists(const std::string& path) { return QFileInfo::exists(Q(path)); }

}  // namespace

std::string FitField(const std::string& value, std::size_t maxBytes) {
  return CutCp949(value, maxBytes);
}

TDM::TDM(std::string programDir)
    : programDir_(std::move(programDir)) {
  const std::string ini = UserIniPath();
  if (!FileExists(ini)) {
    IniFile fresh;
    fresh.lines = {"[MASTER]", "ID=", "[CUSTOMER]", "ID="};
    fresh.Save(ini);  // a folder we cannot write leaves both IDs empty
  }
  IniFile file;
  if (file.Load(ini)) {
    MasterInfo.M_ID = FitField(TrimRightBlanks(file.Read("MASTER", "ID")), MasterInfoRec::kId);
    CustomerInfo.C_ID = FitField(TrimRightBlanks(file.Read("CUSTOMER", "ID")), CustomerInfoRec::kId);
  }
}

bool TDM::WriteUserIni(const std::string& masterId, const std::string& customerId) const {
  const std::string ini = UserIniPath();
  if (!FileExists(ini)) return false;
  IniFile file;
  if (!file.Load(ini)) return false;
  file.Write("MASTER", "ID", masterId);
  file.Write("CUSTOMER", "ID", customerId);
  return file.Save(ini);
}

}  // namespace tarvik
