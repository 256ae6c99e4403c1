#include "tests/support/PrivateCups.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

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
  out << text;
  return static_cast<bool>(out);
}

std::string Tail(const std::string& path, std::size_t n) {
  std::ifstream in(path, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return all.size() > n ? all.substr(all.size() - n) : all;
}

}  // namespace

PrivateCups::PrivateCups() {
  queue_ = "tarvik-test-" + std::to_string(::getpid());
  hadServer_ = qEnvironmentVariableIsSet("CUPS_SERVER");
  oldServer_ = qgetenv("CUPS_SERVER");
  usable_ = CheckMachine();
  if (usable_) started_ = Start();
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
  if (hadServer_)
    qputenv("CUPS_SERVER", oldServer_);
  else
    qunsetenv("CUPS_SERVER");
}

bool PrivateCups::CheckMachine() {
  if (::geteuid() != 0) {
    why_ = "not root: cups-pdf's backend is 0700 root and runs only under a scheduler started as root";
    return false;
  }
  for (const char* f : {kCupsd, kLpadmin, kLpstat, kBackend, kPpd}) {
    if (!QFileInfo::exists(QString::fromUtf8(f))) {
      why_ = std::string(f) + " is missing (packages cups and printer-driver-cups-pdf, scripts/setup-deps)";
      return false;
    }
  }
  // The scheduler runs a backend as root only when nobody but root may touch
  // it: owned by root, no group or other permissions.
  struct stat st {};
  if (::stat(kBackend, &st) != 0 || st.st_uid != 0 || (st.st_mode & 077) != 0) {
    char mode[64];
    std::snprintf(mode, sizeof mode, "owner %u, mode %o", static_cast<unsigned>(st.st_uid),
                  static_cast<unsigned>(st.st_mode & 07777));
    why_ = std::string(kBackend) + " must be owned by root with mode 0700 (" + mode + ")";
    return false;
  }
  if (!::getgrnam("lp")) {
    why_ = "no group lp for the scheduler's filters";
    return false;
  }
  // AppArmor's profiles for the system's scheduler and cups-pdf allow only the
  // system's folders (/etc/cups, /var/spool/cups …), never private ones.
  std::ifstream profiles("/sys/kernel/security/apparmor/profiles");
  for (std::string line; std::getline(profiles, line);) {
    const bool confined = line.rfind(std::string(kCupsd) + " (enforce)", 0) == 0 ||
                          line.rfind(std::string(kBackend) + " (enforce)", 0) == 0;
    if (confined) {
      why_ = "AppArmor confines " + line + " to the system's folders";
      return false;
    }
  }
  if (::access(kPdfConfDir, W_OK) != 0) {
    why_ = std::string(kPdfConfDir) + " is not writable (cups-pdf reads its settings only there)";
    return false;
  }
  if (!dir_.isValid()) {
    why_ = "no temporary folder";
    return false;
  }
  return true;
}

std::string PrivateCups::Path(const std::string& sub) const {
  return dir_.path().toStdString() + "/" + sub;
}

bool PrivateCups::Run(const std::string& program, const QStringList& args, std::string* out) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QString::fromStdString(program), args);
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
  for (const char* sub : {"conf", "spool", "cache", "state", "log", "tmp", "out", "pdfspool"}) {
    QDir().mkpath(QString::fromStdString(Path(sub)));
    ::chmod(Path(sub).c_str(), std::string(sub) == "tmp" ? 01777 : 0755);
  }

  const std::string files = Path("conf/cups-files.conf"), conf = Path("conf/cupsd.conf");
  const std::string socket = Path("cups.sock");
  bool ok = WriteText(files, "ServerRoot " + Path("conf") + "\nRequestRoot " + Path("spool") +
                                 "\nCacheDir " + Path("cache") + "\nStateDir " + Path("state") +
                                 "\nTempDir " + Path("tmp") + "\nErrorLog " + Path("log/error_log") +
                                 "\nAccessLog " + Path("log/access_log") + "\nPageLog " +
                                 Path("log/page_log") + "\nUser lp\nGroup lp\nSystemGroup root\n");
  // Only the local socket: nothing listens on the network. Anyone who can
  // reach the socket may administer this private scheduler.
  ok = ok && WriteText(conf, "Listen " + socket +
                                 "\nBrowsing No\nWebInterface No\nLogLevel info\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                 "</Policy>\n");
  pdfConf_ = std::string(kPdfConfDir) + "/cups-pdf-" + queue_ + ".conf";
  ok = ok && WriteText(pdfConf_, "Out " + Path("out") + "\nSpool " + Path("pdfspool") + "\nLog " +
                                     Path("log") + "\nGSTmp " + Path("tmp") + "\nGrp lp\nLogType 3\n");
  if (!ok) {
    why_ = "cannot write the scheduler's settings";
    return false;
  }
  qputenv("CUPS_SERVER", QByteArray::fromStdString(socket));

  cupsd_.setProcessChannelMode(QProcess::MergedChannels);
  cupsd_.start(QString::fromUtf8(kCupsd), {QStringLiteral("-f"), QStringLiteral("-c"), QString::fromStdString(conf),
                                           QStringLiteral("-s"), QString::fromStdString(files)});
  if (!cupsd_.waitForStarted(10000)) {
    why_ = "cupsd did not start";
    return false;
  }
  bool running = false;
  for (int i = 0; i < 150 && !running; ++i) {
    std::string out;
    running = Run(kLpstat, {QStringLiteral("-r")}, &out) && out.find("is running") != std::string::npos;
    if (!running && cupsd_.waitForFinished(100)) break;  // it ended: settings refused
  }
  if (!running) {
    why_ = "cupsd is not running: " + cupsd_.readAll().toStdString() + Logs();
    return false;
  }
  std::string out;
  const QString q = QString::fromStdString(queue_);
  if (!Run(kLpadmin, {QStringLiteral("-p"), q, QStringLiteral("-E"), QStringLiteral("-v"),
                      QStringLiteral("cups-pdf:/") + q, QStringLiteral("-P"), QString::fromUtf8(kPpd)},
           &out) ||
      !Run(kLpadmin, {QStringLiteral("-d"), q}, &out)) {
    why_ = "lpadmin failed: " + out + Logs();
    return false;
  }
  return true;
}

std::vector<std::string> PrivateCups::WaitForPdfs(std::size_t n, int timeoutMs) {
  const QDir out(QString::fromStdString(Path("out")));
  std::vector<std::string> files;
  for (int waited = 0; waited <= timeoutMs; waited += 200) {
    std::string pending;
    const bool idle = Run(kLpstat, {QStringLiteral("-o"), QString::fromStdString(queue_)}, &pending) &&
                      pending.empty();
    files.clear();
    for (const QFileInfo& f : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name))
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
