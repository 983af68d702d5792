#pragma once
// One undo step per user command, opened and closed by a scope so that no
// handler can forget either end:
//
//   GUICore::EventUndoScope undo;          // BeginEventUndoStep
//   if (!undo) return;                     // a build is running
//   undo.add(i, GetEvent(i), EventUndoStep::kChanged);
//   SetEvent(i, changed);
//   // end of scope: CommitEventUndoStep when something was added
//
//   GUICore::StoreUndoScope undo;          // SaveStoreUndoState
//   if (!undo) return;
//   ... change the store ...
//   // end of scope: PushStoreUndoState, unless undo.dismiss() was called
//
// Neither opens while a build or preview runs (the build reads the model
// between its progress lines), and a scope opened inside another of its
// kind joins the outer step.
#include <cstdint>

#include "project/records.h"

namespace tesmiro::GUICore {

class EventUndoScope {
 public:
  EventUndoScope();
  ~EventUndoScope();
  EventUndoScope(const EventUndoScope&) = delete;
  EventUndoScope& operator=(const EventUndoScope&) = delete;

  // False when refused; the handler must then change nothing.
  explicit operator bool() const { return open_; }
  // AddEventUndoRecord; ignored when refused.
  void add(int32_t index, const EventRecord& record, int16_t kind);
  // Ends the step now (a second call does nothing).
  void commit();

 private:
  bool open_;
  bool outer_;
};

class StoreUndoScope {
 public:
  StoreUndoScope();
  ~StoreUndoScope();
  StoreUndoScope(const StoreUndoScope&) = delete;
  StoreUndoScope& operator=(const StoreUndoScope&) = delete;

  explicit operator bool() const { return open_; }
  // RecordStoreUndoChange; ignored when refused.
  void record(int32_t kind, int32_t a, int32_t b);
  // Nothing changed after all: no step is pushed.
  void dismiss() { dismissed_ = true; }
  // Pushes the step now (a second call does nothing).
  void push();

 private:
  bool open_;
  bool outer_;
  bool dismissed_ = false;
};

// Whether a scope of either kind is open (tests).
bool EventUndoScopeOpen();
bool StoreUndoScopeOpen();

}  // namespace tesmiro::GUICore
