// The update manifest as the passes read it: lines, sections, file lists, plain names and their URL path parts.
#include <QByteArray>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "platform/Launcher.h"
#include "platform/Printer.h"
#include "platform/Prompter.h"
#include "session/Seams.h"
#include "tests/fuzz/FuzzCheck.h"
#include "update/UpdatePasses.h"
#include "text/Text.h"

using namespace tarvik::fuzz;

namespace {

std::string folder;  // holds "a.dll" and a folder "sub"
tarvik::UpdatePasses* passes = nullptr;

std::string WithoutLineEnds(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }), s.end());
  return s;
}

void CheckName(const std::string& name) {
  if (!tarvik::IsPlainFileName(name)) return;
  Check(name.find_first_of(std::string("/\\\0", 3)) == std::string::npos && name != "." && name != "..",
        "a name that leaves its folder counts as plain: " + Shown(name));
  const std::string part = tarvik::UrlPathPart(name);
  for (std::size_t i = 0; i < part.size(); ++i) {
    Check(std::isalnum(static_cast<unsigned char>(part[i])) ||
              std::string("-._~!$&'()*+,;=:@%").find(part[i]) != std::string::npos,
          "URL path part " + Shown(part) + " carries " + Shown(part.substr(i, 1)));
    if (part[i] == '%')
      Check(i + 2 < part.size() && std::isxdigit(static_cast<unsigned char>(part[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(part[i + 2])),
            "a '%' that escapes nothing in " + Shown(part));
  }
  const QByteArray back = QByteArray::fromPercentEncoding(QByteArray::fromStdString(part));
  Check(back.toStdString() == name, "URL path part " + Shown(part) + " is not the name " + Shown(name));
}

// ParseFileList: an entry per non-empty line, its name the line's start, its CRC what follows the name's comma.
void CheckList(const std::string& list) {
  const std::vector<tarvik::ListEntry> entries = tarvik::ParseFileList(list);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i <= list.size();) {
    const std::size_t end = std::min(list.find_first_of("\r\n", i), list.size());
    if (end > i) lines.push_back(list.substr(i, end - i));
    i = end + 1;
  }
  Check(entries.size() == lines.size(),
        std::to_string(entries.size()) + " entries of " + std::to_string(lines.size()) + " lines");
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const auto& e = entries[k];
    const std::string& line = lines[k];
    Check(line.compare(0, e.name.size(), e.name) == 0, "a name that is not its line's start");
    if (e.hasCrc)
      Check(line.size() > e.name.size() && line[e.name.size()] == ',' &&
                line.compare(e.name.size() + 1, e.crc.size(), e.crc) == 0,
            "a CRC field that does not follow the name's comma");
    else
      Check(line == e.name, "an entry without a CRC that is not its whole line");
    CheckName(e.name);
  }
  // What would be fetched: entries of the list, in its order.
  std::size_t next = 0;
  for (const auto& name : passes->ListChangedFiles(folder, list)) {
    while (next < entries.size() && entries[next].name != name) ++next;
    Check(next++ < entries.size(), "a changed file that the list does not name: " + Shown(name));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = TempFolder() + "/";
  WriteFile(folder + "a.dll", "module a");  // CRC-32 1639465184
  std::filesystem::create_directory(std::filesystem::u8path(folder + "sub"));
  // The steps read here show nothing and reach no server.
  static tarvik::BoxPrompter prompter;
  static tarvik::ProcessLauncher launcher;
  static tarvik::SystemPrinter printer;
  static const tarvik::Seams seams{tarvik::ServiceLink{}, prompter, launcher, printer};
  passes = new tarvik::UpdatePasses(tarvik::UpdatePlaces{folder, "TKClientI", folder, std::string(), folder}, seams,
                                    nullptr);
  passes->ManifestPath = folder + "TKClienti.dat";
  return 0;
}

TARVIK_FUZZ(raw) {
  WriteFile(passes->ManifestPath, raw);
  const std::string text = passes->ReadManifest();
  // Every CR is followed by LF and every LF follows a CR; the rest are the file's characters.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') Check(i + 1 < text.size() && text[i + 1] == '\n', "a CR without LF");
    if (text[i] == '\n') Check(i > 0 && text[i - 1] == '\r', "a LF without CR");
  }
  Check(WithoutLineEnds(raw) == WithoutLineEnds(text), "ReadManifest changed the text");
  Check(raw.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0),
        "the last line has no CR LF");
  for (const std::string tag : {"MODULE", "IMAGE"}) CheckList(tarvik::TextBetween(text, "<" + tag + ">", "</" + tag + ">"));
}
