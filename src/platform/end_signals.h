#pragma once
// The signals that ask the program to end: SIGTERM (a logout, `kill`),
// SIGINT and SIGHUP. While an instance lives, a signal only writes its
// number to a pipe that the main loop watches, and the program ends in
// order from there: hardly anything is safe inside a handler. A second
// signal ends the program at once, as it would without the handler.
#include <csignal>

namespace tesmiro {

class EndSignals {
 public:
  EndSignals();
  // The handlers that were there before come back.
  ~EndSignals();
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // Readable once a signal came; -1 when no pipe could be made, and the
  // signals end the program as before.
  int fd() const { return read_; }
  // The first signal that came, or 0; never waits.
  int received();

 private:
  int read_ = -1;
  int received_ = 0;
  struct sigaction previous_[3];
};

}  // namespace tesmiro
