// The program entry: the command line and the update step decide whether this
// run works, hands over to another copy of the program, or just ends.
#include <QApplication>
#include <QDebug>

#include <string>
#include <vector>

#include "app/BasketClaim.h"
#include "app/Startup.h"
#include "app/LoginScreen.h"
#include "mainwindow/MainWindow.h"
#include "net/ServiceRequests.h"
#include "platform/Folders.h"
#include "platform/Launcher.h"
#include "platform/OffThread.h"
#include "platform/PluginFolder.h"
#include "platform/Printer.h"
#include "platform/ProgramArguments.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "platform/RunLog.h"
#include "platform/RunningProgram.h"
#include "platform/ScreenFit.h"
#include "platform/Translation.h"
#include "session/Seams.h"
#include "session/Session.h"

int main(int argc, char** argv) {
  tarvik::KeepRunLog(tarvik::RunLogPath());  // the Windows program has no console
  tarvik::MarkProgramRunning();               // the installer asks to close it first
  tarvik::ChooseScreenScale();                // before any window: the main window fits
  // The command line, read once; each part gets what it needs of it.
  const std::vector<std::string> args = tarvik::ProgramArguments(argc, argv);
  const tarvik::CommandLine line = tarvik::ReadCommandLine(args);
  tarvik::UseProgramFolderPlugins(line.targetDir);  // the replacement pass runs from a copy without plugins
  QApplication app(argc, argv);
  QApplication::setApplicationName(tarvik::Q(tarvik::kAppTitle));
  tarvik::InstallKoreanTranslation();  // without it the standard buttons stay English

  // What the run talks to outside itself; TARVIK_SERVER is read here, once.
  tarvik::BoxPrompter prompter;
  tarvik::ProcessLauncher launcher;
  tarvik::SystemPrinter printer;
  tarvik::Seams seams{tarvik::ServiceLinkAtStart(), prompter, launcher, printer};
  seams.service.runner = tarvik::RunOffGuiThread;  // the window keeps painting during a request

  tarvik::TraceStart(args);
  // Each start in the run log: a support person sees the update's hand-overs.
  std::string started;
  for (const std::string& a : args) started += (started.empty() ? "" : " ") + a;
  qInfo().noquote() << "start:" << tarvik::Q(started);

  tarvik::StartValues v;
  tarvik::SetStartPaths(v, tarvik::ResolveProgramFile(args[0]), tarvik::PerUserWorkFolder() + "/");
  tarvik::RunStartStep(v, line, seams);
  if (!tarvik::ActOnStartResult(v, launcher)) return 0;

  tarvik::TDM dm(v.ProgramDir);
  tarvik::TFrmMain main(dm, seams, [&](QWidget* parent) { return tarvik::RunLogin(dm, seams, parent); });
  if (!main.LoggedIn()) return 0;
  const std::string journals = tarvik::BasketJournalFolder();
  const auto basket = tarvik::ClaimBasket(journals, dm, prompter);  // held until the program ends
  if (!basket) return 0;
  main.KeepBasketJournal(journals);
  main.ShowUpdateNote(line.updateNote);
  main.show();
  return app.exec();
}
