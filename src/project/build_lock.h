#pragma once
// Whether a movie build or preview is running. While it is, commands that
// change the model are refused and the automatic backup skips its turn: the
// build reads the model between its progress lines. The lock is the one
// owner of that state; the windows hear of it through the window services
// (buildRunningChanged) and keep no copy.
namespace tesmiro::GUICore {

bool BuildInProgress();

// Held for the length of a build or preview; a second one cannot start
// meanwhile.
class BuildLock {
 public:
  BuildLock();
  ~BuildLock();
  BuildLock(const BuildLock&) = delete;
  BuildLock& operator=(const BuildLock&) = delete;
  // False when another build already held the lock.
  bool acquired() const { return acquired_; }

 private:
  bool acquired_;
};

}  // namespace tesmiro::GUICore
