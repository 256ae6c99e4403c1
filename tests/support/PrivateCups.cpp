#include "tests/support/PrivateCups.h"

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <fstream>

#include "tests/support/ChildProcess.h"
#include "tests/support/Files.h"

namespace tarvik::test {
namespace {

const char* const kCupsd = "/usr/sbin/cupsd";
const char* const kLpadmin = "/usr/sbin/lpadmin";
const char* const kLpstat = "/usr/bin/lpstat";
const char* const kBackend = "/usr/lib/cups/backend/cups-pdf";
const char* const kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";
const char* const kPdfConfDir = "/etc/cups";  // cups-pdf's built-in settings folder

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

PrivateCups::PrivateCups() {
  queue_ = "tarvik-test-" + std::to_string(::getpid());
  hadServer_ = qEnvironmentVariableIsSet("CUPS_SERVER");
  oldServer_ = qgetenv("CUPS_SERVER");
  usable_ = CheckMachine();
  started_ = usable_ && Start();
}

PrivateCups::~PrivateCups() {
  Stop(cupsd_, SIGTERM, std::chrono::seconds(15));  // the scheduler stops its jobs' filters and backends itself
  if (!pdfConf_.empty()) std::remove(pdfConf_.c_str());
  if (hadServer_) qputenv("CUPS_SERVER", oldServer_);
  else qunsetenv("CUPS_SERVER");
}

bool PrivateCups::CheckMachine() {
  auto no = [this](const std::string& why) { return why_ = why, false; };
  if (::geteuid() != 0) return no("not root: cups-pdf's backend is 0700 root and runs only under a scheduler started as root");
  for (const char* f : {kCupsd, kLpadmin, kLpstat, kBackend, kPpd})
    if (!QFileInfo::exists(QString::fromUtf8(f)))
      return no(std::string(f) + " is missing (packages cups and printer-driver-cups-pdf, scripts/setup-deps)");
  // The scheduler runs a backend as root only when nobody but root may touch
  // it: owned by root, no group or other permissions.
  struct stat st {};
  if (::stat(kBackend, &st) != 0 || st.st_uid != 0 || (st.st_mode & 077) != 0) {
    char mode[64];
    std::snprintf(mode, sizeof mode, "owner %u, mode %o", static_cast<unsigned>(st.st_uid),
                  static_cast<unsigned>(st.st_mode & 07777));
    return no(std::string(kBackend) + " must be owned by root with mode 0700 (" + mode + ")");
  }
  if (!::getgrnam("lp")) return no("no group lp for the scheduler's filters");
  // AppArmor's profiles for the system's scheduler and cups-pdf allow only the
  // system's folders (/etc/cups, /var/spool/cups …), never private ones.
  std::ifstream profiles("/sys/kernel/security/apparmor/profiles");
  for (std::string line; std::getline(profiles, line);)
    if (line.rfind(std::string(kCupsd) + " (enforce)", 0) == 0 || line.rfind(std::string(kBackend) + " (enforce)", 0) == 0)
      return no("AppArmor confines " + line + " to the system's folders");
  if (::access(kPdfConfDir, W_OK) != 0)
    return no(std::string(kPdfConfDir) + " is not writable (cups-pdf reads its settings only there)");
  return dir_.isValid() || no("no temporary folder");
}

bool PrivateCups::Run(const std::vector<std::string>& argv, std::string* out) {
  return RunProgram(SpawnSpec(argv, true, Path("log/tools_log")), out) == 0;
}

bool PrivateCups::Start() {
  // The filters run as lp and must reach the spool and the queue's PPD below
  // the temporary folder, whatever the umask; they write temporary files into tmp.
  ::chmod(dir_.path().toLocal8Bit().constData(), 0755);
  for (const std::string sub : {"conf", "spool", "cache", "state", "log", "tmp", "out", "pdfspool"}) {
    QDir().mkpath(Q(Path(sub)));
    ::chmod(Path(sub).c_str(), sub == "tmp" ? 01777 : 0755);
  }
  const std::string files = Path("conf/cups-files.conf"), conf = Path("conf/cupsd.conf"), socket = Path("cups.sock");
  pdfConf_ = std::string(kPdfConfDir) + "/cups-pdf-" + queue_ + ".conf";
  // Only the local socket: nothing listens on the network. Anyone who can
  // reach the socket may administer this private scheduler.
  if (!WriteFile(files, "ServerRoot " + Path("conf") + "\nRequestRoot " + Path("spool") + "\nCacheDir " +
                            Path("cache") + "\nStateDir " + Path("state") + "\nTempDir " + Path("tmp") +
                            "\nErrorLog " + Path("log/error_log") + "\nAccessLog " + Path("log/access_log") +
                            "\nPageLog " + Path("log/page_log") + "\nUser lp\nGroup lp\nSystemGroup root\n") ||
      !WriteFile(conf, "Listen " + socket +
                           "\nBrowsing No\nWebInterface No\nLogLevel info\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n") ||
      !WriteFile(pdfConf_, "Out " + Path("out") + "\nSpool " + Path("pdfspool") + "\nLog " + Path("log") +
                               "\nGSTmp " + Path("tmp") + "\nGrp lp\nLogType 3\n"))
    return why_ = "cannot write the scheduler's settings", false;
  qputenv("CUPS_SERVER", QByteArray::fromStdString(socket));
  cupsd_ = Spawn(SpawnSpec({kCupsd, "-f", "-c", conf, "-s", files}, false, Path("log/cupsd_out")));
  if (cupsd_ < 0) return why_ = "cupsd did not start", false;
  bool running = false;
  for (int i = 0; i < 150 && !running; ++i) {
    std::string out;
    running = Run({kLpstat, "-r"}, &out) && out.find("is running") != std::string::npos;
    if (!running && Ended(cupsd_)) break;  // it ended: settings refused
    if (!running) QThread::msleep(100);
  }
  if (!running) return why_ = "cupsd is not running: " + ReadFile(Path("log/cupsd_out")) + Logs(), false;
  if (!Run({kLpadmin, "-p", queue_, "-E", "-v", "cups-pdf:/" + queue_, "-P", kPpd}) || !Run({kLpadmin, "-d", queue_}))
    return why_ = "lpadmin failed: " + ReadFile(Path("log/tools_log")) + Logs(), false;
  return true;
}

std::vector<std::string> PrivateCups::WaitForPdfs(std::size_t n, int timeoutMs) {
  const QDir out(Q(Path("out")));
  std::vector<std::string> files;
  for (int waited = 0; waited <= timeoutMs; waited += 200) {
    std::string pending;
    const bool idle = Run({kLpstat, "-o", queue_}, &pending) && pending.empty();
    files.clear();
    for (const QFileInfo& f : out.entryInfoList({"*.pdf"}, QDir::Files, QDir::Name))
      files.push_back(f.absoluteFilePath().toStdString());
    if (idle && files.size() >= n) break;
    QThread::msleep(200);
  }
  return files;
}

std::string PrivateCups::Logs() const {
  return "\n--- error_log ---\n" + ReadTail(Path("log/error_log"), 3000) + "\n--- cups-pdf log ---\n" +
         ReadTail(Path("log/cups-pdf-" + queue_ + "_log"));
}

}  // namespace tarvik::test
