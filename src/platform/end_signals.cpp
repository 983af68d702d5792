#include "platform/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

namespace tesmiro {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Read by the handler, so set before it is installed and cleared only
// after it is gone.
volatile int gWrite = -1;

void OnEndSignal(int signal) {
  const int saved = errno;
  const auto number = static_cast<unsigned char>(signal);
  // A full pipe already holds a signal; the first one is what counts.
  [[maybe_unused]] const ssize_t n = ::write(gWrite, &number, 1);
  // A second one ends the program at once; those that were ignored stay so.
  struct sigaction system {}, now {};
  system.sa_handler = SIG_DFL;
  sigemptyset(&system.sa_mask);
  for (int s : kEndSignals)
    if (::sigaction(s, nullptr, &now) == 0 && now.sa_handler == OnEndSignal) ::sigaction(s, &system, nullptr);
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

}  // namespace

EndSignals::EndSignals() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_ = ends[0];
  gWrite = ends[1];
  for (size_t i = 0; i < std::size(kEndSignals); ++i) {
    ::sigaction(kEndSignals[i], nullptr, &previous_[i]);
    // One that was ignored stays ignored (nohup).
    if (previous_[i].sa_handler != SIG_IGN) Install(kEndSignals[i]);
  }
}

EndSignals::~EndSignals() {
  if (read_ < 0) return;
  for (size_t i = 0; i < std::size(kEndSignals); ++i) ::sigaction(kEndSignals[i], &previous_[i], nullptr);
  ::close(gWrite);
  gWrite = -1;
  ::close(read_);
}

int EndSignals::received() {
  unsigned char number = 0;
  if (received_ == 0 && read_ >= 0 && ::read(read_, &number, 1) == 1) received_ = number;
  return received_;
}

}  // namespace tesmiro
