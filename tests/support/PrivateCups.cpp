#include "tests/support/PrivateCups.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <fstream>

#include "tests/support/Files.h"

namespace tarvik::test {
namespace {

const char* const kCupsd = "/usr/sbin/cupsd";
const char* const kLpadmin = "/usr/sbin/lpadmin";
const char* const kLpstat = "/usr/bin/lpstat";
const char* const kBackend = "/usr/lib/cups/backend/cups-pdf";
const char* const kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";
const char* const kPdfConfDir = "/etc/cups";  // cups-pdf's built-in settings folder

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::trunc);
  return static_cast<bool>(out << text);
}

std::string Tail(const std::string& path, std::size_t n) {
  const std::string all = ReadFile(path);
  return all.size() > n ? all.substr(all.size() - n) : all;
}

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
  if (cupsd_.state() != QProcess::NotRunning) {
    cupsd_.terminate();  // the scheduler stops its jobs' filters and backends itself
    if (!cupsd_.waitForFinished(15000)) {
      cupsd_.kill();
      cupsd_.waitForFinished(5000);
    }
  }
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

bool PrivateCups::Run(const std::string& program, const QStringList& args, std::string* out) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(Q(program), args);
  const bool done = p.waitForFinished(30000);
  if (!done) {
    p.kill();
    p.waitForFinished();
  }
  if (out) *out = p.readAll().toStdString();
  return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
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
  if (!WriteText(files, "ServerRoot " + Path("conf") + "\nRequestRoot " + Path("spool") + "\nCacheDir " +
                            Path("cache") + "\nStateDir " + Path("state") + "\nTempDir " + Path("tmp") +
                            "\nErrorLog " + Path("log/error_log") + "\nAccessLog " + Path("log/access_log") +
                            "\nPageLog " + Path("log/page_log") + "\nUser lp\nGroup lp\nSystemGroup root\n") ||
      !WriteText(conf, "Listen " + socket +
                           "\nBrowsing No\nWebInterface No\nLogLevel info\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n") ||
      !WriteText(pdfConf_, "Out " + Path("out") + "\nSpool " + Path("pdfspool") + "\nLog " + Path("log") +
                               "\nGSTmp " + Path("tmp") + "\nGrp lp\nLogType 3\n"))
    return why_ = "cannot write the scheduler's settings", false;
  qputenv("CUPS_SERVER", QByteArray::fromStdString(socket));
  cupsd_.setProcessChannelMode(QProcess::MergedChannels);
  cupsd_.start(QString::fromUtf8(kCupsd), {"-f", "-c", Q(conf), "-s", Q(files)});
  if (!cupsd_.waitForStarted(10000)) return why_ = "cupsd did not start", false;
  bool running = false;
  for (int i = 0; i < 150 && !running; ++i) {
    std::string out;
    running = Run(kLpstat, {"-r"}, &out) && out.find("is running") != std::string::npos;
    if (!running && cupsd_.waitForFinished(100)) break;  // it ended: settings refused
  }
  if (!running) return why_ = "cupsd is not running: " + cupsd_.readAll().toStdString() + Logs(), false;
  std::string out;
  const QString q = Q(queue_);
  if (!Run(kLpadmin, {"-p", q, "-E", "-v", "cups-pdf:/" + q, "-P", QString::fromUtf8(kPpd)}, &out) ||
      !Run(kLpadmin, {"-d", q}, &out))
    return why_ = "lpadmin failed: " + out + Logs(), false;
  return true;
}

std::vector<std::string> PrivateCups::WaitForPdfs(std::size_t n, int timeoutMs) {
  const QDir out(Q(Path("out")));
  std::vector<std::string> files;
  for (int waited = 0; waited <= timeoutMs; waited += 200) {
    std::string pending;
    const bool idle = Run(kLpstat, {"-o", Q(queue_)}, &pending) && pending.empty();
    files.clear();
    for (const QFileInfo& f : out.entryInfoList({"*.pdf"}, QDir::Files, QDir::Name))
      files.push_back(f.absoluteFilePath().toStdString());
    if (idle && files.size() >= n) break;
    QThread::msleep(200);
  }
  return files;
}

std::string PrivateCups::Logs() const {
  return "\n--- error_log ---\n" + Tail(Path("log/error_log"), 3000) + "\n--- cups-pdf log ---\n" +
         Tail(Path("log/cups-pdf-" + queue_ + "_log"), 2000);
}

}  // namespace tarvik::test
