#pragma once
// Who holds the other end of a TCP connection made on this machine. The
// client's port names its socket, and the kernel tells whose that socket is:
// through its socket diagnostics (netlink), else through /proc/net/tcp and
// tcp6. A server on 127.0.0.1 can so tell the connections of its own user's
// programs from those of every other user, before it reads a byte.
#include <sys/types.h>

#include <functional>
#include <istream>
#include <memory>
#include <span>
#include <vector>

namespace tesmiro {

struct LoopbackPeer {
  enum class State {
    kOpen,     // `uid` holds the client's socket
    kClosed,   // its program has closed it already: no one reads an answer
    kUnknown,  // the system does not tell
  };
  State state = State::kUnknown;
  uid_t uid = 0;
};

// The client end of `connected`, a TCP socket that accept() gave (IPv4 or
// IPv6). Asks the socket diagnostics, and /proc where they do not answer.
LoopbackPeer LoopbackPeerOf(int connected);

// The same for connections taken in together, in their order. Where /proc
// has to tell, each of its tables is read once for all of them, and only
// as far as it takes to find them: a table of thousands of sockets takes
// tens of milliseconds to read.
std::vector<LoopbackPeer> LoopbackPeersOf(std::span<const int> connected);

// Each way alone, for the tests.
LoopbackPeer LoopbackPeerFromDiagnostics(int connected);
LoopbackPeer LoopbackPeerFromProc(int connected);

// What the lookups ask, for the tests: without the diagnostics they ask
// /proc alone, as on a system whose diagnostics do not answer; `openTable`
// opens one of /proc's tables (by its path) in place of the file itself.
struct LoopbackPeerSources {
  bool diagnostics = true;
  std::function<std::unique_ptr<std::istream>(const char* path)> openTable;
};
void SetLoopbackPeerSources(LoopbackPeerSources sources);

}  // namespace tesmiro
