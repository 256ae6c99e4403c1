#include "app/Startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/Folders.h"
#include "platform/Launcher.h"
#include "platform/QtText.h"
#include "update/Splash.h"

namespace tarvik {

std::string ResolveProgramFile(const std::string& argv0) {
  QString path = Q(argv0);
  if (!path.isEmpty() && !path.contains('/')) path = QStandardPaths::findExecutable(path);
  QString real = path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
  if (real.isEmpty() && QCoreApplication::instance())
    real = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
  return S(real);
}

void SetStartPaths(StartValues& v, const std::string& programFile, const std::string& workDir) {
  v.ProgramDir = FolderOf(programFile);
  v.ExeName = FileNameOf(programFile);
  v.WorkDir = workDir;
  v.TargetDir.clear();
  v.UpdateMessage.clear();
  v.ExtraArg.clear();
}

StartForm ReadCommandLine(StartValues& v, const std::vector<std::string>& args) {
  const std::size_t n = args.empty() ? 0 : args.size() - 1;  // arguments after the program
  if (n == 0) {
    v.StartResult = 0;
    return StartForm::Normal;
  }
  if (args[1] == "/TMPFILE" && n >= 2 && !args[2].empty()) {
    v.TargetDir = args[2];
    if (v.TargetDir.back() != '/') v.TargetDir += '/';
    v.ExtraArg = n >= 3 ? args[3] : std::string();
    return StartForm::Replace;
  }
  if (args[1] == "/SKIPCHECK") {
    if (n >= 3) v.ExtraArg = args[3];
    v.StartResult = 0;
    return StartForm::SkipCheck;
  }
  v.StartResult = -1;
  return StartForm::Unknown;
}

UpdatePlaces PlacesOf(const StartValues& v) {
  return UpdatePlaces{v.ProgramDir, v.ExeName, v.WorkDir, v.TargetDir, IconFolder("")};
}

int RunStartStep(StartValues& v, const std::vector<std::string>& args) {
  switch (ReadCommandLine(v, args)) {
    case StartForm::Normal: {
      TFrmSplash splash(PlacesOf(v));
      v.StartResult = splash.RunCheck();
      break;
    }
    case StartForm::Replace: {
      TFrmSplash splash(PlacesOf(v));
      v.StartResult = splash.RunApply();
      v.UpdateMessage = splash.Passes().UpdateMessage;
      break;
    }
    case StartForm::SkipCheck:
    case StartForm::Unknown:
      break;
  }
  return v.StartResult;
}

std::string FinishedRunNote(const StartValues& v) {
  const std::string& m = v.UpdateMessage;
  const auto first = m.find_first_not_of(' ');
  const std::string note =
      first == std::string::npos ? std::string() : m.substr(first, m.find_last_not_of(' ') - first + 1);
  return note + v.ExtraArg;
}

bool ActOnStartResult(const StartValues& v) {
  switch (v.StartResult) {
    case 0:
      return true;
    case 1:
      // Any existing folder serves as the copy's working folder: it takes
      // every path from its arguments and from the work folder.
      CurrentLauncher().Start(v.WorkDir + v.ExeName, {"/TMPFILE", v.ProgramDir}, v.WorkDir);
      return false;
    case 2: {
      std::vector<std::string> args{"/SKIPCHECK"};
      const std::string note = FinishedRunNote(v);
      if (!note.empty()) args.push_back(note);
      CurrentLauncher().Start(v.TargetDir + v.ExeName, args, v.TargetDir);
      return false;
    }
    default:
      return false;
  }
}

void TraceStart(const std::vector<std::string>& args) {
  // Qt's reading of the environment is the wide one on Windows: the path may
  // hold characters the ANSI code page lacks.
  const QString file = qEnvironmentVariable("TARVIK_TRACE_START");
  if (file.isEmpty()) return;
  std::string line = std::to_string(QCoreApplication::applicationPid());
  for (const auto& a : args) {
    line += '\t';
    for (char c : a) {
      switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\r': line += "\\r"; break;
        case '\n': line += "\\n"; break;
        default: line += c;
      }
    }
  }
  line += '\n';
  AppendToFile(S(file), line);
}

}  // namespace tarvik
