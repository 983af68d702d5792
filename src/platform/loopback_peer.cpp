#include "platform/loopback_peer.h"

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

namespace tesmiro {
namespace {

// One end of a connection: the address in IPv6 form (an IPv4 one mapped),
// its bytes as the kernel keeps them, and the port.
struct End {
  uint8_t address[16] = {};
  uint16_t port = 0;
  bool operator==(const End&) const = default;
  bool isV4() const {
    static constexpr uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    return std::memcmp(address, kMapped, sizeof kMapped) == 0;
  }
};

std::optional<End> EndOf(const sockaddr_storage& s) {
  End end;
  if (s.ss_family == AF_INET) {
    const auto& a = reinterpret_cast<const sockaddr_in&>(s);
    end.address[10] = end.address[11] = 0xFF;
    std::memcpy(end.address + 12, &a.sin_addr, 4);
    end.port = ntohs(a.sin_port);
  } else if (s.ss_family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(s);
    std::memcpy(end.address, &a.sin6_addr, 16);
    end.port = ntohs(a.sin6_port);
  } else {
    return std::nullopt;
  }
  return end;
}

// The socket's own end and the client's.
struct Ends {
  End local;
  End remote;
};

std::optional<Ends> EndsOf(int connected) {
  sockaddr_storage local{}, remote{};
  socklen_t localLength = sizeof local, remoteLength = sizeof remote;
  if (::getsockname(connected, reinterpret_cast<sockaddr*>(&local), &localLength) != 0 ||
      ::getpeername(connected, reinterpret_cast<sockaddr*>(&remote), &remoteLength) != 0)
    return std::nullopt;
  const std::optional<End> l = EndOf(local), r = EndOf(remote);
  if (!l || !r) return std::nullopt;
  return Ends{*l, *r};
}

// A connection the client reset is no longer in the system's tables, nor
// does its other end matter.
bool WasReset(int connected) {
  tcp_info info{};
  socklen_t length = sizeof info;
  return ::getsockopt(connected, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 && info.tcpi_state == TCP_CLOSE;
}

// What the kernel lists for a socket. An inode of 0 is a socket that no
// program holds any more (closed, or waiting out its last packets).
struct Entry {
  uid_t uid = 0;
  unsigned long inode = 0;
};

LoopbackPeer PeerOf(const Entry& e) {
  if (e.inode == 0) return {LoopbackPeer::State::kClosed, 0};
  return {LoopbackPeer::State::kOpen, e.uid};
}

enum class Answer { kFound, kMissing, kNoAnswer };

LoopbackPeerSources& Sources() {
  static LoopbackPeerSources sources;
  return sources;
}

// A lookup by ends alone matches only sockets bound to no device; a client
// may have bound its own to the loopback device, through which every
// connection on this machine runs, and asked with that device the lookup
// finds both.
unsigned LoopbackIndex() {
  static const unsigned index = ::if_nametoindex("lo");
  return index;
}

// The socket whose own end is `self` and whose peer is `other`, asked of the
// socket diagnostics by its ends alone (no dump of every socket).
Answer AskDiagnostics(const End& self, const End& other, Entry& entry) {
  const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
  if (fd < 0) return Answer::kNoAnswer;
  // The kernel answers while it takes the request; the wait is only
  // against a system that would not.
  const timeval wait{0, 100 * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  struct {
    nlmsghdr head;
    inet_diag_req_v2 body;
  } request{};
  request.head.nlmsg_len = sizeof request;
  request.head.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  request.head.nlmsg_flags = NLM_F_REQUEST;
  request.head.nlmsg_seq = 1;
  const bool v4 = self.isV4();
  request.body.sdiag_family = v4 ? AF_INET : AF_INET6;
  request.body.sdiag_protocol = IPPROTO_TCP;
  request.body.idiag_states = ~0U;
  inet_diag_sockid& id = request.body.id;
  id.idiag_sport = htons(self.port);
  id.idiag_dport = htons(other.port);
  std::memcpy(id.idiag_src, v4 ? self.address + 12 : self.address, v4 ? 4 : 16);
  std::memcpy(id.idiag_dst, v4 ? other.address + 12 : other.address, v4 ? 4 : 16);
  id.idiag_if = LoopbackIndex();
  id.idiag_cookie[0] = id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  Answer answer = Answer::kNoAnswer;
  alignas(nlmsghdr) char reply[8192];
  if (::sendto(fd, &request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) ==
      static_cast<ssize_t>(sizeof request)) {
    const ssize_t got = ::recv(fd, reply, sizeof reply, 0);
    const std::size_t size = got > 0 ? static_cast<std::size_t>(got) : 0;
    // The header's walking macros mix signed and unsigned lengths; the same
    // walk with sizes only.
    for (std::size_t at = 0; at <= size && size - at >= sizeof(nlmsghdr);) {
      const auto* h = reinterpret_cast<const nlmsghdr*>(reply + at);
      if (h->nlmsg_len < sizeof(nlmsghdr) || h->nlmsg_len > size - at) break;
      at += NLMSG_ALIGN(h->nlmsg_len);
      if (h->nlmsg_type == NLMSG_ERROR && h->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr))) {
        // Nothing with those ends; any other refusal tells nothing.
        if (static_cast<const nlmsgerr*>(NLMSG_DATA(h))->error == -ENOENT) answer = Answer::kMissing;
        break;
      }
      if (h->nlmsg_type == SOCK_DIAG_BY_FAMILY && h->nlmsg_len >= NLMSG_LENGTH(sizeof(inet_diag_msg))) {
        const auto* m = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
        // A lookup that finds no connection falls back to a listener on
        // the port: that is not the socket asked for.
        if (m->id.idiag_sport != id.idiag_sport || m->id.idiag_dport != id.idiag_dport) {
          answer = Answer::kMissing;
        } else {
          entry = {m->idiag_uid, m->idiag_inode};
          answer = Answer::kFound;
        }
        break;
      }
    }
  }
  ::close(fd);
  return answer;
}

// A connection looked for in /proc's tables: its client's socket (whose own
// end is our remote one), and whether its own was seen.
struct ProcLookup {
  Ends ends;
  std::optional<Entry> peer;
  bool ownSeen = false;
};

// Reads /proc/net/tcp, then tcp6, each once, and stops once every client's
// socket is found: the kernel writes a table as it is read, walking all
// its sockets. A client's socket of either family can reach an IPv4
// address.
void ReadProcTables(std::span<ProcLookup> lookups) {
  size_t missing = lookups.size();
  for (const char* path : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    if (missing == 0) return;
    const std::unique_ptr<std::istream> table =
        Sources().openTable ? Sources().openTable(path) : std::make_unique<std::ifstream>(path);
    if (!table) continue;
    std::string line;
    std::getline(*table, line);  // the column names
    while (missing > 0 && std::getline(*table, line)) {
      char localHex[33] = {}, remoteHex[33] = {};
      unsigned localPort = 0, remotePort = 0;
      unsigned long uid = 0, inode = 0;
      if (std::sscanf(line.c_str(), " %*u: %32[0-9A-Fa-f]:%x %32[0-9A-Fa-f]:%x %*x %*x:%*x %*x:%*x %*x %lu %*d %lu",
                      localHex, &localPort, remoteHex, &remotePort, &uid, &inode) != 6)
        continue;
      // Each word of an address as the kernel holds it in memory, printed
      // as a number.
      const auto parse = [](const char* hex, unsigned port) -> std::optional<End> {
        const size_t digits = std::strlen(hex);
        if (digits != 8 && digits != 32) return std::nullopt;
        End end;
        if (digits == 8) end.address[10] = end.address[11] = 0xFF;
        for (size_t w = 0; w < digits / 8; ++w) {
          const auto word = static_cast<uint32_t>(std::stoul(std::string(hex + 8 * w, 8), nullptr, 16));
          std::memcpy(end.address + (digits == 8 ? 12 : 4 * w), &word, 4);
        }
        end.port = static_cast<uint16_t>(port);
        return end;
      };
      const std::optional<End> local = parse(localHex, localPort), remote = parse(remoteHex, remotePort);
      if (!local || !remote) continue;
      for (ProcLookup& l : lookups) {
        if (!l.peer && *local == l.ends.remote && *remote == l.ends.local) {
          l.peer = Entry{static_cast<uid_t>(uid), inode};
          --missing;
        }
        if (*local == l.ends.local && *remote == l.ends.remote) l.ownSeen = true;
      }
    }
  }
}

std::vector<LoopbackPeer> PeersFromProc(std::span<const int> connected) {
  std::vector<LoopbackPeer> peers(connected.size());
  std::vector<ProcLookup> lookups;
  std::vector<size_t> of;  // the connection each lookup is for
  for (size_t i = 0; i < connected.size(); ++i) {
    const std::optional<Ends> ends = EndsOf(connected[i]);
    if (ends) {
      lookups.push_back({*ends, std::nullopt, false});
      of.push_back(i);
    } else if (WasReset(connected[i])) {
      peers[i] = {LoopbackPeer::State::kClosed, 0};
    }
  }
  if (!lookups.empty()) ReadProcTables(lookups);
  for (size_t k = 0; k < lookups.size(); ++k) {
    if (lookups[k].peer)
      peers[of[k]] = PeerOf(*lookups[k].peer);
    else if (lookups[k].ownSeen || WasReset(connected[of[k]]))
      peers[of[k]] = {LoopbackPeer::State::kClosed, 0};
  }
  return peers;
}

}  // namespace

LoopbackPeer LoopbackPeerFromDiagnostics(int connected) {
  // Once they have answered, a socket they do not know is gone.
  static std::atomic<bool> answered = false;
  const std::optional<Ends> ends = EndsOf(connected);
  if (!ends) return WasReset(connected) ? LoopbackPeer{LoopbackPeer::State::kClosed, 0} : LoopbackPeer{};
  Entry entry;
  switch (AskDiagnostics(ends->remote, ends->local, entry)) {
    case Answer::kFound:
      answered = true;
      return PeerOf(entry);
    case Answer::kMissing:
      if (answered || WasReset(connected) || AskDiagnostics(ends->local, ends->remote, entry) == Answer::kFound) {
        answered = true;
        return {LoopbackPeer::State::kClosed, 0};
      }
      return {};
    case Answer::kNoAnswer:
      return {};
  }
  return {};
}

LoopbackPeer LoopbackPeerFromProc(int connected) {
  const int one[] = {connected};
  return PeersFromProc(one)[0];
}

std::vector<LoopbackPeer> LoopbackPeersOf(std::span<const int> connected) {
  // Where the diagnostics said nothing and /proc told, /proc is asked from
  // then on.
  static std::atomic<bool> procOnly = false;
  const bool askDiagnostics = Sources().diagnostics && !procOnly;
  std::vector<LoopbackPeer> peers(connected.size());
  std::vector<int> untold;
  for (size_t i = 0; i < connected.size(); ++i) {
    if (askDiagnostics) peers[i] = LoopbackPeerFromDiagnostics(connected[i]);
    if (peers[i].state == LoopbackPeer::State::kUnknown) untold.push_back(connected[i]);
  }
  if (untold.empty()) return peers;
  const std::vector<LoopbackPeer> fromProc = PeersFromProc(untold);
  auto told = fromProc.begin();
  for (LoopbackPeer& peer : peers) {
    if (peer.state != LoopbackPeer::State::kUnknown) continue;
    peer = *told++;
    if (askDiagnostics && peer.state != LoopbackPeer::State::kUnknown) procOnly = true;
  }
  return peers;
}

LoopbackPeer LoopbackPeerOf(int connected) {
  const int one[] = {connected};
  return LoopbackPeersOf(one)[0];
}

void SetLoopbackPeerSources(LoopbackPeerSources sources) { Sources() = std::move(sources); }

}  // namespace tesmiro
