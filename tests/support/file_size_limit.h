#pragma once
// A disk that fills up, for tests of writers' failure paths: while it lives,
// no file of this process can grow past `bytes` (a longer write fails with
// EFBIG instead of raising SIGXFSZ). The previous limit comes back at the end.
#include <signal.h>
#include <sys/resource.h>

namespace tesmiro::testing {

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousSignal_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousSignal_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousSignal_)(int) = SIG_DFL;
};

}  // namespace tesmiro::testing
