#pragma once
// What the windows made on demand (trace, preview, event dialog) need from
// the window they belong to. They are opened from many places (a menu, a
// trace line of the movie, another dialog), so the window that owns them
// registers itself for its lifetime rather than being handed down each path;
// with none (a dialog tested alone) they stand by themselves.
class QWidget;

namespace tesmiro::gui {

class DialogOwner {
 public:
  // The owner constructed last and not yet destroyed, or null.
  static DialogOwner* current() { return current_; }

  // The window the on-demand windows belong to (their parent, and the
  // lifetime of the player kept between previews).
  virtual QWidget* ownerWindow() = 0;
  // The trace window has gone: what shows it as open no longer does.
  virtual void traceWindowUnloaded() = 0;
  // The event dialog's fields go into the events they were loaded from.
  virtual void applyEventDialog() = 0;
  // An event's script is about to be edited in the docked script editor.
  virtual void showDockedScriptEditor() = 0;

  DialogOwner(const DialogOwner&) = delete;
  DialogOwner& operator=(const DialogOwner&) = delete;

 protected:
  DialogOwner() { current_ = this; }
  ~DialogOwner() {
    if (current_ == this) current_ = nullptr;
  }

 private:
  static inline DialogOwner* current_ = nullptr;
};

}  // namespace tesmiro::gui
