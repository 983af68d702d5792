#pragma once
// Starts a program, reads what it prints until it ends, and keeps the
// moment it was started and the processor time it used: the start-up and
// preview benchmarks time fresh processes of themselves with it.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tesmiro::bench {

inline int64_t SteadyNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct ChildRun {
  bool ran = false;        // started, and printed something
  std::string out;         // what it printed
  int64_t startedNs = 0;   // SteadyNowNs() just before it was started
  double cpuSeconds = 0;   // user and system time of the process
};

// Runs `args[0]` with the arguments after it, on a settled machine, and
// waits for its end. For some tens of milliseconds after a program with a
// window has ended, the display server and the system are still releasing
// what it held, and a start that follows at once takes up to half again as
// long (a bare window here: 110-125 ms right after another start, 65-70 ms
// after a pause of 0.1 s, and about half the delay when the two use
// different servers). A user's start seldom follows another so closely, and
// each timed start would otherwise pay for the one before it.
inline ChildRun RunChildProcess(std::vector<std::string> args) {
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ChildRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  run.startedNs = SteadyNowNs();
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return run;
  }
  char buf[256];
  ssize_t n = 0;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) run.out.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.ran = !run.out.empty();
  return run;
}

}  // namespace tesmiro::bench
