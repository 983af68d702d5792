// The client end of a connection made on this machine is known by whose it
// is, both through the socket diagnostics and through /proc, so that a
// server can tell its own user's programs from every other user's.
#include "platform/loopback_peer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/other_user.h"

namespace tesmiro::testing {
namespace {

// A loopback address of the family, with `port`; IPv4 mapped into IPv6
// when `mapped`.
sockaddr_storage Loopback(int family, uint16_t port, bool mapped = false) {
  sockaddr_storage s{};
  if (family == AF_INET) {
    auto& a = reinterpret_cast<sockaddr_in&>(s);
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  } else {
    auto& a = reinterpret_cast<sockaddr_in6&>(s);
    a.sin6_family = AF_INET6;
    a.sin6_port = htons(port);
    ::inet_pton(AF_INET6, mapped ? "::ffff:127.0.0.1" : "::1", &a.sin6_addr);
  }
  return s;
}

int Listen(int family, uint16_t& port) {
  const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_storage s = Loopback(family, 0);
  socklen_t length = sizeof s;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&s), length) != 0 || ::listen(fd, 8) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&s), &length) != 0)
    return -1;
  port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in&>(s).sin_port
                                 : reinterpret_cast<sockaddr_in6&>(s).sin6_port);
  return fd;
}

int Dial(int family, uint16_t port, bool mapped = false) {
  const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_storage to = Loopback(family, port, mapped);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

using Way = LoopbackPeer (*)(int);
constexpr std::pair<const char*, Way> kWays[] = {
    {"socket diagnostics", LoopbackPeerFromDiagnostics},
    {"/proc", LoopbackPeerFromProc},
    {"either", LoopbackPeerOf},
};

void ExpectEveryWay(int accepted, LoopbackPeer::State state, uid_t uid, const std::string& what) {
  for (const auto& [name, way] : kWays) {
    const LoopbackPeer peer = way(accepted);
    EXPECT_EQ(peer.state, state) << what << ", " << name;
    if (state == LoopbackPeer::State::kOpen) {
      EXPECT_EQ(peer.uid, uid) << what << ", " << name;
    }
  }
}

TEST(LoopbackPeerTest, AClientOfThisUserIsOursUntilItClosesOrResets) {
  for (const auto& [what, listenerFamily, clientFamily, mapped] :
       {std::tuple{"IPv4", AF_INET, AF_INET, false}, std::tuple{"IPv6 to IPv4", AF_INET, AF_INET6, true},
        std::tuple{"IPv6", AF_INET6, AF_INET6, false}}) {
    uint16_t port = 0;
    const int listener = Listen(listenerFamily, port);
    ASSERT_GE(listener, 0) << what;
    const int open = Dial(clientFamily, port, mapped);
    const int closed = Dial(clientFamily, port, mapped);
    const int reset = Dial(clientFamily, port, mapped);
    ASSERT_TRUE(open >= 0 && closed >= 0 && reset >= 0) << what;
    ::close(closed);
    const linger abort{1, 0};
    ::setsockopt(reset, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(reset);
    // The system's queue gives them in the order they came.
    const int accepted[] = {::accept(listener, nullptr, nullptr), ::accept(listener, nullptr, nullptr),
                            ::accept(listener, nullptr, nullptr)};
    ExpectEveryWay(accepted[0], LoopbackPeer::State::kOpen, ::geteuid(), std::string(what) + ", open");
    ExpectEveryWay(accepted[1], LoopbackPeer::State::kClosed, 0, std::string(what) + ", closed");
    ExpectEveryWay(accepted[2], LoopbackPeer::State::kClosed, 0, std::string(what) + ", reset");
    {
      // The three at once, from /proc: each table is read once for all,
      // and the second not at all when the first had them.
      ProcAlone proc;
      const std::vector<LoopbackPeer> together = LoopbackPeersOf(accepted);
      ASSERT_EQ(together.size(), 3U);
      EXPECT_EQ(together[0].state, LoopbackPeer::State::kOpen) << what;
      EXPECT_EQ(together[0].uid, ::geteuid()) << what;
      EXPECT_EQ(together[1].state, LoopbackPeer::State::kClosed) << what;
      EXPECT_EQ(together[2].state, LoopbackPeer::State::kClosed) << what;
      EXPECT_FALSE(proc.opened.empty()) << what;
      for (const auto& [path, times] : proc.opened) EXPECT_EQ(times, 1) << what << ", " << path;
    }
    for (int fd : accepted) ::close(fd);
    ::close(open);
    ::close(listener);
  }
}

TEST(LoopbackPeerTest, AClientBoundToTheLoopbackDeviceIsOurs) {
  uint16_t port = 0;
  const int listener = Listen(AF_INET, port);
  ASSERT_GE(listener, 0);
  const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool bound = ::setsockopt(client, SOL_SOCKET, SO_BINDTODEVICE, "lo", 3) == 0;
  if (!bound) {
    ::close(client);
    ::close(listener);
  }
  REQUIRE_CHECKER(bound ? "" : "a socket can be bound to the loopback device only by root (run the tests as root)");
  const sockaddr_storage to = Loopback(AF_INET, port);
  ASSERT_EQ(::connect(client, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
  const int accepted = ::accept(listener, nullptr, nullptr);
  ExpectEveryWay(accepted, LoopbackPeer::State::kOpen, ::geteuid(), "bound to the loopback device");
  ::close(accepted);
  ::close(client);
  ::close(listener);
}

TEST(LoopbackPeerTest, AClientOfAnotherUserIsTheirs) {
  REQUIRE_OTHER_USER();
  uint16_t port = 0;
  const int listener = Listen(AF_INET, port);
  ASSERT_GE(listener, 0);
  OtherUser<uint16_t> other;
  other.state() = port;
  ASSERT_TRUE(other.start([](uint16_t& server) {
    if (Dial(AF_INET, server) >= 0) for (;;) ::pause();  // holds the connection until killed
  }));
  pollfd waiting{listener, POLLIN, 0};
  ASSERT_EQ(::poll(&waiting, 1, 10000), 1) << "the other user's program could not connect";  // against a hang
  const int accepted = ::accept(listener, nullptr, nullptr);
  ExpectEveryWay(accepted, LoopbackPeer::State::kOpen, kOtherUid, "another user's");
  ::close(accepted);
  ::close(listener);
}

}  // namespace
}  // namespace tesmiro::testing
