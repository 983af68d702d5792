#pragma once

namespace tesmiro {

// Puts an object in a module's slot for the holder's lifetime; whatever was
// there before comes back after, so scopes nest and each test window
// leaves the module as it found it.
template <class T>
class ScopedInstall {
 public:
  ScopedInstall(T*& slot, T& installed) : slot_(slot), previous_(slot) { slot_ = &installed; }
  ~ScopedInstall() { slot_ = previous_; }
  ScopedInstall(const ScopedInstall&) = delete;
  ScopedInstall& operator=(const ScopedInstall&) = delete;

 private:
  T*& slot_;
  T* previous_;
};

}  // namespace tesmiro
