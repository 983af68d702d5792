#pragma once
// Another user's program on this machine: a child process under uid and gid
// 65534 (nobody), which only the superuser can start. Run by hand as any
// other user, a test that needs one is skipped and says why; in CI, which
// runs as root, it fails instead (see REQUIRE_CHECKER).
#include <grp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "platform/loopback_peer.h"
#include "support/checkers.h"

namespace tesmiro::testing {

constexpr uid_t kOtherUid = 65534;

inline std::string MissingOtherUser() {
  return ::geteuid() == 0 ? "" : "a program of another user can only be started by root (run the tests as root)";
}

#define REQUIRE_OTHER_USER() REQUIRE_CHECKER(::tesmiro::testing::MissingOtherUser())

// While it lives, the lookups ask /proc alone, as where the socket
// diagnostics do not answer, and count how often each table is opened.
struct ProcAlone {
  ProcAlone() {
    SetLoopbackPeerSources({false, [this](const char* path) -> std::unique_ptr<std::istream> {
                              ++opened[path];
                              return std::make_unique<std::ifstream>(path);
                            }});
  }
  ~ProcAlone() { SetLoopbackPeerSources({}); }
  ProcAlone(const ProcAlone&) = delete;
  ProcAlone& operator=(const ProcAlone&) = delete;
  std::map<std::string, int> opened;
};

// `State` lives in memory that both processes see: plain values that the
// test sets before start(), and std::atomic ones that the two pass on.
// The child's work must not allocate: another thread of this process may
// hold the allocator's lock at the fork, and the child would wait for it
// for ever. It ends with the test, or when killed.
template <typename State>
class OtherUser {
 public:
  OtherUser() {
    void* memory = ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    state_ = memory == MAP_FAILED ? nullptr : new (memory) State();
  }
  ~OtherUser() {
    stop();
    if (!state_) return;
    state_->~State();
    ::munmap(state_, sizeof(State));
  }
  OtherUser(const OtherUser&) = delete;
  OtherUser& operator=(const OtherUser&) = delete;

  State& state() { return *state_; }

  // False when no child could be made.
  bool start(void (*work)(State&)) {
    if (!state_) return false;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      rlimit files{};
      ::getrlimit(RLIMIT_NOFILE, &files);
      files.rlim_cur = files.rlim_max;
      ::setrlimit(RLIMIT_NOFILE, &files);
      if (::setgroups(0, nullptr) != 0 || ::setgid(kOtherUid) != 0 || ::setuid(kOtherUid) != 0 ||
          ::geteuid() != kOtherUid)
        ::_exit(3);
      work(*state_);
      ::_exit(0);
    }
    return pid_ > 0;
  }
  // False once the child has ended (its work done, or it could not become
  // the other user).
  bool running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  State* state_ = nullptr;
  pid_t pid_ = -1;
};

}  // namespace tesmiro::testing
