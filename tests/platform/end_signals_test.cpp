// The signals that ask the program to end are written down for its main
// loop; a second one ends it at once, and one that was ignored stays so.
#include "platform/end_signals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tesmiro {
namespace {

void Counted(int) {}

TEST(EndSignalsTest, TheFirstSignalIsWrittenDownAndTheSecondEndsTheProgram) {
  // In a child, which the second signal ends; its exit code says where it
  // went wrong otherwise.
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
    EndSignals signals;
    ::raise(SIGHUP);
    if (signals.received() != 0) ::_exit(10);
    ::raise(SIGTERM);
    pollfd ready{signals.fd(), POLLIN, 0};
    if (::poll(&ready, 1, 0) != 1) ::_exit(11);
    if (signals.received() != SIGTERM) ::_exit(12);
    ::raise(SIGHUP);
    ::raise(SIGINT);
    ::_exit(13);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
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
