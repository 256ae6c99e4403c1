#include "platform/Launcher.h"

#include <QProcess>
#include <QStringList>

#include "platform/QtText.h"

namespace tarvik {

bool ProcessLauncher::Start(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workDir) {
  QStringList list;
  for (const auto& a : args) list << Q(a);
  return QProcess::startDetached(Q(program), list, Q(workDir));
}

}  // namespace tarvik
