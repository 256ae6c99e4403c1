#include "platform/RunLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include "platform/Folders.h"
#include "platform/QtText.h"

namespace tarvik {
namespace {

QString g_path;
long long g_max = 0;
QtMessageHandler g_before = nullptr;
QMutex g_mutex;  // messages come from the request thread too

const char* Kind(QtMsgType type) {
  switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
  }
  return "?";
}

void Rotate() {
  if (QFileInfo(g_path).size() < g_max) return;
  const QString old = g_path + QStringLiteral(".1");
  QFile::remove(old);
  QFile::rename(g_path, old);
}

void Write(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  {
    QMutexLocker lock(&g_mutex);
    Rotate();
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
                         QStringLiteral(" %1 %2: ").arg(QCoreApplication::applicationPid()).arg(QLatin1String(Kind(type))) +
                         text + QLatin1Char('\n');
    // One write at the end of the file: the three processes of an update
    // write to the same log without mixing their lines.
    AppendToFile(S(g_path), S(line));
  }
  if (g_before) g_before(type, context, text);
}

}  // namespace

std::string KeepRunLog(const std::string& path, long long maxBytes) {
  {
    QMutexLocker lock(&g_mutex);
    g_path = Q(path);
    g_max = maxBytes;
  }
  QtMessageHandler before = qInstallMessageHandler(Write);
  if (before != Write) g_before = before;
  return path;
}

std::string RunLogPath() { return AppDataFolder() + "/TKClientI.log"; }

}  // namespace tarvik
