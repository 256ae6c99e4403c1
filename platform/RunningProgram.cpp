#include "platform/RunningProgram.h"

#include <QLockFile>

#include "platform/QtText.h"

namespace tarvik {

const char* const kRunningMark = "TarvikTKClientI";

HeldLock::HeldLock(const std::string& path) : lock_(std::make_unique<QLockFile>(Q(path))) {
  // Never stale by age: a basket may stay open all day. A holder that no
  // longer runs is found out by its process id.
  lock_->setStaleLockTime(0);
  held_ = lock_->tryLock(0);
  if (!held_) {
    qint64 pid = 0;
    QString host, app;
    if (lock_->getLockInfo(&pid, &host, &app)) holder_ = pid;
  }
}

HeldLock::~HeldLock() = default;  // QLockFile removes the file it holds

}  // namespace tarvik
