#include "platform/end_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <iterator>
#include <system_error>

namespace tesmiro {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Read by the handler, so set before it is installed and cleared only
// after it is gone.
volatile int gWrite = -1;
// Shared by the handler, which may run in any thread, the watchdog and
// ended(); lock-free atomics are safe in a handler.
std::atomic<int> gFirst{0};
std::atomic<int> gFollowing{0};  // the first signal after gFirst, held back
std::atomic<bool> gInterrupted{false};
std::atomic<bool> gEnded{false};
std::atomic<bool> gGraceOver{false};
std::atomic<bool> gLeaving{false};
// Posted by the first signal (the grace period starts) and by the
// destructor (the watchdog leaves).
sem_t gWake;
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// As the system ends the program on `signal` without a handler; the
// handler and the watchdog have it blocked.
[[noreturn]] void EndNow(int signal) {
  struct sigaction system {};
  system.sa_handler = SIG_DFL;
  sigemptyset(&system.sa_mask);
  ::sigaction(signal, &system, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);
}

void OnEndSignal(int signal) {
  const int saved = errno;
  // A second Ctrl+C: the user insists.
  const bool insisted = signal == SIGINT && gInterrupted.exchange(true);
  int none = 0;
  const bool first = gFirst.compare_exchange_strong(none, signal);
  // Held back before the flags are read, as ended() and the watchdog set
  // theirs before they look here: one of the two sees the other.
  if (!first) {
    none = 0;
    gFollowing.compare_exchange_strong(none, signal);
  }
  if (insisted || gEnded || (!first && gGraceOver)) EndNow(signal);
  if (first) {
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(gWrite, &number, 1);
    ::sem_post(&gWake);
  }
  errno = saved;
}

void Install(int signal) {
  struct sigaction ours {};
  ours.sa_handler = OnEndSignal;
  sigemptyset(&ours.sa_mask);
  for (int s : kEndSignals) sigaddset(&ours.sa_mask, s);
  ours.sa_flags = SA_RESTART;
  ::sigaction(signal, &ours, nullptr);
}

// An orderly end that hangs (a window whose teardown never returns) still
// ends once the grace period is over, when a signal is waiting.
void Watch(std::chrono::milliseconds grace) {
  while (::sem_wait(&gWake) != 0 && errno == EINTR) {
  }
  if (gLeaving) return;
  timespec deadline{};
  ::clock_gettime(CLOCK_MONOTONIC, &deadline);
  const auto nanoseconds = deadline.tv_nsec + std::chrono::nanoseconds(grace).count();
  deadline.tv_sec += static_cast<time_t>(nanoseconds / 1'000'000'000);
  deadline.tv_nsec = static_cast<long>(nanoseconds % 1'000'000'000);
  int waited = 0;
  while ((waited = ::sem_clockwait(&gWake, CLOCK_MONOTONIC, &deadline)) != 0 && errno == EINTR) {
  }
  if (waited == 0) return;
  gGraceOver = true;
  if (const int following = gFollowing) EndNow(following);
}

}  // namespace

EndSignals::EndSignals(std::chrono::milliseconds grace) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_ = ends[0];
  gWrite = ends[1];
  gFirst = 0;
  gFollowing = 0;
  gInterrupted = false;
  gEnded = false;
  gGraceOver = false;
  gLeaving = false;
  ::sem_init(&gWake, 0, 0);
  // The watchdog takes no signal of its own; it is made with all blocked.
  sigset_t all, before;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &before);
  try {
    watchdog_ = std::thread(Watch, grace);
  } catch (const std::system_error&) {
    // Without it no grace period could end: a second signal ends the
    // program at once, as it always did.
    gGraceOver = true;
  }
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  for (size_t i = 0; i < std::size(kEndSignals); ++i) {
    ::sigaction(kEndSignals[i], nullptr, &previous_[i]);
    // One that was ignored stays ignored (nohup).
    if (previous_[i].sa_handler != SIG_IGN) Install(kEndSignals[i]);
  }
}

EndSignals::~EndSignals() {
  if (read_ < 0) return;
  for (size_t i = 0; i < std::size(kEndSignals); ++i) ::sigaction(kEndSignals[i], &previous_[i], nullptr);
  if (watchdog_.joinable()) {
    gLeaving = true;
    ::sem_post(&gWake);
    watchdog_.join();
  }
  ::sem_destroy(&gWake);
  ::close(gWrite);
  gWrite = -1;
  ::close(read_);
}

int EndSignals::received() {
  unsigned char number = 0;
  if (received_ == 0 && read_ >= 0 && ::read(read_, &number, 1) == 1) received_ = number;
  return received_;
}

void EndSignals::ended() {
  if (read_ < 0) return;
  gEnded = true;
  if (const int following = gFollowing) EndNow(following);
}

}  // namespace tesmiro
