// The program entry: the command line and the update step decide whether this
// run works, hands over to another copy of the program, or just ends.
#include <QApplication>
#include <QDebug>
#include <QStringList>

#include <string>
#include <vector>

#include "app/BasketClaim.h"
#include "app/Startup.h"
#include "app/LoginScreen.h"
#include "mainwindow/MainWindow.h"
#include "net/ServiceRequests.h"
#include "platform/Folders.h"
#include "platform/OffThread.h"
#include "platform/PluginFolder.h"
#include "platform/Prompter.h"
#include "platform/QtText.h"
#include "platform/RunLog.h"
#include "platform/RunningProgram.h"
#include "platform/ScreenFit.h"
#include "platform/Translation.h"
#include "session/Session.h"

int main(int argc, char** argv) {
  tarvik::KeepRunLog(tarvik::RunLogPath());  // the Windows program has no console
  tarvik::MarkProgramRunning();               // the installer asks to close it first
  tarvik::ChooseScreenScale();                // before any window: the main window fits
  tarvik::UseProgramFolderPlugins();  // the replacement pass runs from a copy without plugins
  QApplication app(argc, argv);
  QApplication::setApplicationName(tarvik::Q(tarvik::kAppTitle));
  tarvik::InstallKoreanTranslation();  // without it the standard buttons stay English
  // Every request's exchange off the GUI thread: the window keeps painting.
  tarvik::SetExchangeRunner(tarvik::RunOffGuiThread);

  std::vector<std::string> args;
  for (const QString& a : QCoreApplication::arguments()) args.push_back(tarvik::S(a));
  if (args.empty()) args.emplace_back(argc > 0 ? argv[0] : "");
  tarvik::TraceStart(args);
  // Each start in the run log: a support person sees the update's hand-overs.
  qInfo().noquote() << "start:" << QCoreApplication::arguments().join(QLatin1Char(' '));

  tarvik::StartValues v;
  // args[0], not argv[0]: Windows hands main() its arguments in the ANSI code
  // page, Qt reads the wide command line.
  tarvik::SetStartPaths(v, tarvik::ResolveProgramFile(args[0]),
                        tarvik::PerUserWorkFolder() + "/");
  tarvik::RunStartStep(v, args);
  if (!tarvik::ActOnStartResult(v)) return 0;

  // The note of a finished update stays on the command line: the main screen
  // reads argument 2 of QCoreApplication::arguments() itself.
  tarvik::TDM dm(v.ProgramDir);
  tarvik::TFrmMain main(dm, [&dm](QWidget* parent) { return tarvik::RunLogin(dm, parent); });
  if (!main.LoggedIn()) return 0;
  const std::string journals = tarvik::BasketJournalFolder();
  const auto basket = tarvik::ClaimBasket(journals, dm);  // held until the program ends
  if (!basket) return 0;
  main.KeepBasketJournal(journals);
  main.show();
  return app.exec();
}
