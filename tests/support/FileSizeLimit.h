// Makes writes past a file size fail (EFBIG) for the lifetime of the object,
// as a full disk does: a write that crosses the limit comes back short.
#pragma once
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit r = old_;
    r.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};
