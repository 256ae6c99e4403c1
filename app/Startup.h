#pragma once
// Program start-up: the command line, the start-up values main() keeps and
// passes on, and what a run does with the result of the update step.
#include <string>
#include <vector>

namespace tarvik {

class Launcher;
struct Seams;
struct UpdatePlaces;

// Every folder ends with "/".
struct StartValues {
  std::string ProgramDir;     // folder of the real program file
  std::string ExeName;        // its file name
  std::string WorkDir;        // the update work folder
  std::string TargetDir;      // "/TMPFILE" run: the installed program's folder; else empty
  std::string UpdateMessage;  // " " + the update's note after a replacement pass
  std::string ExtraArg;       // argument 3 of the "/TMPFILE" and "/SKIPCHECK" forms
  int StartResult = -1;       // -1 end, 0 go on, 1 start the copy, 2 start the updated program
};

enum class StartForm {
  Normal,     // no argument: run the check pass first
  Replace,    // "/TMPFILE" folder [extra]: the temporary copy applies the update
  SkipCheck,  // "/SKIPCHECK" [note [extra]]: straight on to the main screen
  Unknown,    // anything else: end at once
};

// What the command line says, read once at the start and handed to each
// part: the replacement pass's folder to Qt's plugin path before the
// application object exists, the form with its folder and extra argument to
// the start step, the update note to the main screen.
struct CommandLine {
  StartForm form = StartForm::Unknown;
  std::string targetDir;   // Replace: the installed program's folder as given
  std::string extraArg;    // argument 3 of Replace and SkipCheck
  std::string updateNote;  // SkipCheck: argument 2 with "/" a line break and "^" a blank
};

// Reads the command line (args[0] is the program). The first argument is
// compared exactly; a "/TMPFILE" without a folder is Unknown.
CommandLine ReadCommandLine(const std::vector<std::string>& args);

// The real program file behind argv0 (symbolic links resolved, PATH searched
// for a bare name); the running executable when argv0 does not lead to one.
std::string ResolveProgramFile(const std::string& argv0);

// Sets ProgramDir and ExeName from programFile and WorkDir (ending "/"), and
// clears TargetDir, UpdateMessage and ExtraArg.
void SetStartPaths(StartValues& v, const std::string& programFile, const std::string& workDir);

// Sets TargetDir (ending "/") and ExtraArg as line says, and StartResult to
// 0 for Normal and SkipCheck, -1 for Unknown (Replace leaves it to the pass).
void TakeCommandLine(StartValues& v, const CommandLine& line);

// Where the update passes of this run work.
UpdatePlaces PlacesOf(const StartValues& v);

// Takes the command line and, for Normal and Replace, runs the update step
// on the start-up screen (its server and messages the seams'). Returns
// StartResult as it stands afterwards.
int RunStartStep(StartValues& v, const CommandLine& line, const Seams& seams);

// Argument 2 of the finished run: the update's note without the blanks around
// it (a command line split at blanks would drop them), followed by ExtraArg.
std::string FinishedRunNote(const StartValues& v);

// Acts on StartResult through launcher: 1 starts WorkDir + ExeName
// with "/TMPFILE" and ProgramDir; 2 starts TargetDir + ExeName in TargetDir
// with "/SKIPCHECK" and the note. A failed start is ignored. True only for 0,
// when the run goes on to the main screen.
bool ActOnStartResult(const StartValues& v, Launcher& launcher);

// When TARVIK_TRACE_START names a file, appends one line to it: the process
// id and every argument, tab-separated ("\\", tab, CR and LF escaped as
// "\\\\", "\\t", "\\r", "\\n"). Lets tests watch the starts of the update cycle.
void TraceStart(const std::vector<std::string>& args);

}  // namespace tarvik
