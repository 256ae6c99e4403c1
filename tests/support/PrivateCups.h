#pragma once
// A CUPS scheduler of the test's own with one cups-pdf queue as its default
// printer: its folders below a temporary folder, listening only on a local
// socket there, CUPS_SERVER pointing at it while the object lives. It needs
// root (cups-pdf's backend is 0700 root) and writes, then removes,
// /etc/cups/cups-pdf-<queue>.conf (the only place cups-pdf reads settings).
#include <sys/types.h>

#include <QTemporaryDir>

#include <string>
#include <vector>

namespace tarvik::test {

class PrivateCups {
 public:
  PrivateCups();
  ~PrivateCups();  // stops the scheduler (and its jobs), removes the queue's settings file
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;

  // False where this machine cannot run the queue (not root, a package
  // missing, the backend's owner or mode wrong, AppArmor confining the
  // scheduler to the system's folders); Why() says what is missing.
  bool Usable() const { return usable_; }
  bool Started() const { return started_; }  // running with the queue as its default printer
  std::string Why() const { return why_; }
  std::string Queue() const { return queue_; }
  // Waits (at most timeoutMs) until the queue holds no job and n PDF files
  // are written; the files found (sorted).
  std::vector<std::string> WaitForPdfs(std::size_t n, int timeoutMs = 60000);
  std::string Logs() const;  // the end of the scheduler's and the backend's logs

 private:
  bool CheckMachine();
  bool Start();
  // A CUPS tool to its end: whether it succeeded; its output in *out, its errors in log/tools_log.
  bool Run(const std::vector<std::string>& argv, std::string* out = nullptr);
  std::string Path(const std::string& sub) const { return dir_.path().toStdString() + "/" + sub; }

  // Below /tmp, not TMPDIR: the filters (user lp) must reach it, and the
  // socket's path must stay short.
  QTemporaryDir dir_{QStringLiteral("/tmp/tarvik-cups-XXXXXX")};
  pid_t cupsd_ = -1;
  std::string queue_;
  std::string pdfConf_;  // /etc/cups/cups-pdf-<queue>.conf, once written
  QByteArray oldServer_;
  bool hadServer_ = false;
  bool usable_ = false;
  bool started_ = false;
  std::string why_;
};

}  // namespace tarvik::test
