// The signals that ask the program to end are written down for its main
// loop; those that follow wait until the end is done (or its grace period
// is over), a second Ctrl+C ends it at once, and one that was ignored
// stays so.
#include "platform/end_signals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tesmiro {
namespace {

using namespace std::chrono_literals;

void Counted(int) {}

// Runs `steps` in a child, which `signal` is to end; it calls `survive()`
// where it has to be alive still. An exit code says where it went wrong.
void ExpectEndedBy(int signal, const std::function<void(const std::function<void()>& survive)>& steps) {
  int said[2];
  ASSERT_EQ(::pipe(said), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(said[0]);
    steps([&] { (void)!::write(said[1], "a", 1); });
    ::_exit(20);
  }
  ::close(said[1]);
  char c = 0;
  EXPECT_EQ(::read(said[0], &c, 1), 1) << "ended too early";
  ::close(said[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), signal);
}

TEST(EndSignalsTest, TheFirstSignalIsWrittenDownAndThoseThatFollowEndTheProgramOnceTheEndIsDone) {
  ExpectEndedBy(SIGINT, [](const auto& survive) {
    ::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
    EndSignals signals;
    ::raise(SIGHUP);
    if (signals.received() != 0) ::_exit(10);
    ::raise(SIGTERM);
    pollfd ready{signals.fd(), POLLIN, 0};
    if (::poll(&ready, 1, 0) != 1) ::_exit(11);
    if (signals.received() != SIGTERM) ::_exit(12);
    // A Ctrl+C and a second SIGTERM during the end.
    ::raise(SIGINT);
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    if (signals.received() != SIGTERM) ::_exit(13);
    survive();
    signals.ended();
    ::_exit(14);
  });
  // Once the end is done, the first signal ends the program at once.
  ExpectEndedBy(SIGHUP, [](const auto& survive) {
    EndSignals signals;
    survive();
    signals.ended();
    ::raise(SIGHUP);
    ::_exit(15);
  });
}

TEST(EndSignalsTest, ASecondCtrlCEndsTheProgramAtOnce) {
  ExpectEndedBy(SIGINT, [](const auto& survive) {
    EndSignals signals;
    ::raise(SIGTERM);
    ::raise(SIGINT);
    ::raise(SIGHUP);
    survive();
    ::raise(SIGINT);
    ::_exit(10);
  });
}

TEST(EndSignalsTest, AnEndThatHangsIsEndedByTheSignalThatWaitsOnceTheGracePeriodIsOver) {
  ExpectEndedBy(SIGHUP, [](const auto& survive) {
    EndSignals signals(100ms);
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    survive();
    // Hangs far beyond the grace period; only the watchdog ends it.
    for (int i = 0; i < 600; ++i) ::usleep(100'000);
    ::_exit(10);
  });
}

TEST(EndSignalsTest, TheHandlersThatWereThereComeBack) {
  struct sigaction counted {}, before {}, now {};
  counted.sa_handler = Counted;
  sigemptyset(&counted.sa_mask);
  ASSERT_EQ(::sigaction(SIGTERM, &counted, &before), 0);
  {
    EndSignals signals;
    ::raise(SIGTERM);
    EXPECT_EQ(signals.received(), SIGTERM);
    EXPECT_EQ(signals.received(), SIGTERM);
  }
  ASSERT_EQ(::sigaction(SIGTERM, &before, &now), 0);
  EXPECT_EQ(now.sa_handler, &Counted);
}

}  // namespace
}  // namespace tesmiro
