#pragma once
// A disk that fills up, for tests on POSIX systems: while alive, no file of
// this process can grow beyond limitBytes, and a write past it fails as one
// on a full disk does (part written, then an error; EFBIG instead of ENOSPC,
// without SIGXFSZ ending the process). Needs neither root nor a small file
// system.
#include <sys/resource.h>

#include <csignal>

namespace tarvik::test {

class FullDisk {
 public:
  explicit FullDisk(rlim_t limitBytes) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = limitBytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit old_{};
  void (*oldSignal_)(int);
};

}  // namespace tarvik::test
