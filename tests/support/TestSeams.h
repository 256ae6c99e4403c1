#pragma once
// The Seams a test hands to what it drives: its prompter (usually a
// ScriptedPrompter), requests to a loopback address (seams.service.server)
// with each exchange off the GUI thread as in the program, a launcher that
// starts nothing and a printer that prints nothing, unless it sets its own.
#include <string>
#include <vector>

#include "net/ServiceRequests.h"
#include "platform/Launcher.h"
#include "platform/OffThread.h"
#include "session/Seams.h"
#include "tests/support/CountingPrinter.h"

namespace tarvik::test {

// Records every start ("program|workDir|args...") and starts nothing.
struct RecordingLauncher : Launcher {
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& workDir) override {
    launches.push_back(program + "|" + workDir);
    for (const auto& a : args) launches.back() += "|" + a;
    return false;  // a failed start changes nothing
  }
  std::vector<std::string> launches;
};

// address: "host:port"; empty: nowhere (every request fails to open).
inline Seams TestSeams(Prompter& prompter, const std::string& address = std::string(), Printer* printer = nullptr) {
  static RecordingLauncher noLauncher;
  static CountingPrinter noPrinter;
  ServiceLink link{ParseServerAddress(address)};
  link.runner = RunOffGuiThread;
  return Seams{link, prompter, noLauncher, printer ? *printer : noPrinter};
}

}  // namespace tarvik::test
