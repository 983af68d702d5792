#pragma once
// The signals that ask the program to end: SIGTERM (a logout, `kill`),
// SIGINT and SIGHUP. While an instance lives, a signal only writes its
// number to a pipe that the main loop watches, and the program ends in
// order from there: hardly anything is safe inside a handler.
// Ends rarely come alone (a closed terminal sends SIGHUP twice, a session
// stop SIGTERM and then SIGHUP), so the signals that follow the first wait
// until the orderly end has kept what the user had: they end the program
// once it says so (ended()), or when the orderly end is still not done
// after the grace period. A second Ctrl+C ends it at once, as do signals
// after ended() or the grace period, as they would without the handler.
#include <chrono>
#include <csignal>
#include <thread>

namespace tesmiro {

class EndSignals {
 public:
  static constexpr std::chrono::milliseconds kGrace{10'000};

  explicit EndSignals(std::chrono::milliseconds grace = kGrace);
  // The handlers that were there before come back.
  ~EndSignals();
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // Readable once a signal came; -1 when no pipe could be made, and the
  // signals end the program as before.
  int fd() const { return read_; }
  // The first signal that came, or 0; never waits.
  int received();
  // What the user had is kept and the scratch folder gone: a signal that
  // came meanwhile ends the program now, and any later one at once.
  void ended();

 private:
  int read_ = -1;
  int received_ = 0;
  struct sigaction previous_[3];
  // Ends the program with a following signal once the grace period after
  // the first one is over.
  std::thread watchdog_;
};

}  // namespace tesmiro
