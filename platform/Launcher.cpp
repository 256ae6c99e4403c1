#include "platform/Launcher.h"

#include <QProcess>
#include <QStringList>

#include "platform/QtText.h"

namespace tarvik {
namespace {

class ProcessLauncher : public Launcher {
 public:
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& workDir) override {
    QStringList list;
    for (const auto& a : args) list << Q(a);
    return QProcess::startDetached(Q(program), list, Q(workDir));
  }
};

ProcessLauncher g_process;
Launcher* g_current = nullptr;

}  // namespace

Launcher& CurrentLauncher() { return g_current ? *g_current : g_process; }
void SetLauncher(Launcher* l) { g_current = l; }

}  // namespace tarvik
