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

namespace {

// "/" becomes a line break and "^" a blank: the note travels as one argument.
std::string NoteOfArgument(const std::string& argument) {
  std::string note;
  for (char c : argument) {
    if (c == '/')
      note += "\r\n";
    else if (c == '^')
      note += ' ';
    else
      note += c;
  }
  return note;
}

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& args) {
  const std::size_t n = args.empty() ? 0 : args.size() - 1;  // arguments after the program
  CommandLine line;
  if (n == 0) {
    line.form = StartForm::Normal;
  } else if (args[1] == "/TMPFILE" && n >= 2 && !args[2].empty()) {
    line.form = StartForm::Replace;
    line.targetDir = args[2];
    if (n >= 3) line.extraArg = args[3];
  } else if (args[1] == "/SKIPCHECK") {
    line.form = StartForm::SkipCheck;
    if (n >= 2) line.updateNote = NoteOfArgument(args[2]);
    if (n >= 3) line.extraArg = args[3];
  }
  return line;
}

void TakeCommandLine(StartValues& v, const CommandLine& line) {
  v.ExtraArg = line.extraArg;
  v.TargetDir = line.targetDir;
  if (!v.TargetDir.empty() && v.TargetDir.back() != '/') v.TargetDir += '/';
  if (line.form == StartForm::Normal || line.form == StartForm::SkipCheck) v.StartResult = 0;
  if (line.form == StartForm::Unknown) v.StartResult = -1;
}

UpdatePlaces PlacesOf(const StartValues& v) {
  return UpdatePlaces{v.ProgramDir, v.ExeName, v.WorkDir, v.TargetDir, IconFolder("")};
}

int RunStartStep(StartValues& v, const CommandLine& line, const Seams& seams) {
  TakeCommandLine(v, line);
  switch (line.form) {
    case StartForm::Normal: {
      TFrmSplash splash(PlacesOf(v), seams);
      v.StartResult = splash.RunCheck();
      break;
    }
    case StartForm::Replace: {
      TFrmSplash splash(PlacesOf(v), seams);
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

bool ActOnStartResult(const StartValues& v, Launcher& launcher) {
  switch (v.StartResult) {
    case 0:
      return true;
    case 1:
      // Any existing folder serves as the copy's working folder: it takes
      // every path from its arguments and from the work folder.
      launcher.Start(v.WorkDir + v.ExeName, {"/TMPFILE", v.ProgramDir}, v.WorkDir);
      return false;
    case 2: {
      std::vector<std::string> args{"/SKIPCHECK"};
      const std::string note = FinishedRunNote(v);
      if (!note.empty()) args.push_back(note);
      launcher.Start(v.TargetDir + v.ExeName, args, v.TargetDir);
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
