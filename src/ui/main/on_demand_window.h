#pragma once
// The windows the main window opens that exist once and are made on first
// use. Each is reached through one entry: `load` makes it when missing,
// while `loaded`, `isLoaded` and `isShownNow` never make it, so that a
// caller that only asks does not bring a window into being. The search
// dialog is never closed, only hidden: its entry has no `unload`.
#include <QWidget>
#include <type_traits>

#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/script_editor_window.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/dialogs/trace_window.h"

namespace tesmiro::gui {

// `Drop` closes the window its own way (it stores what it keeps); a window
// that is never closed has none, and its entry no `unload`.
template <class W, auto Drop = nullptr>
class OnDemandWindow {
 public:
  using Make = W* (*)(QWidget* owner);
  using Find = W* (*)();
  constexpr OnDemandWindow(Make make, Find find) : make_(make), find_(find) {}

  // `owner` owns a window made now; one that exists keeps its owner.
  W* load(QWidget* owner) const { return make_(owner); }
  W* loaded() const { return find_(); }
  void unload() const requires(!std::is_null_pointer_v<decltype(Drop)>) { Drop(); }
  bool isLoaded() const { return find_() != nullptr; }
  bool isShownNow() const {
    const W* w = find_();
    return w && w->isVisible();
  }
  // Made when missing, shown and raised above the other windows; with
  // `activate` it also takes the keyboard.
  W* present(QWidget* owner, bool activate = false) const {
    W* w = make_(owner);
    w->show();
    w->raise();
    if (activate) w->activateWindow();
    return w;
  }

 private:
  Make make_;
  Find find_;
};

inline constexpr OnDemandWindow<TraceWindow, &TraceWindow::unload> kTraceWindow{
    [](QWidget*) { return TraceWindow::load(); }, &TraceWindow::instance};
inline constexpr OnDemandWindow<PreviewWindow, &PreviewWindow::unload> kPreviewWindow{
    [](QWidget*) { return PreviewWindow::load(); }, &PreviewWindow::instance};
inline constexpr OnDemandWindow<EventDialog, &EventDialog::UnloadInstance> kEventDialog{
    [](QWidget*) { return EventDialog::load(); }, &EventDialog::instance};
inline constexpr OnDemandWindow<ScriptEditorWindow, &ScriptEditorWindow::unload> kScriptEditor{
    &ScriptEditorWindow::instance, &ScriptEditorWindow::loaded};
inline constexpr OnDemandWindow<SearchDialog> kSearchDialog{
    &SearchDialog::instance, [] { return SearchDialog::isLoaded() ? SearchDialog::instance() : nullptr; }};

}  // namespace tesmiro::gui
