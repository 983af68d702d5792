#pragma once
// The windows the main window opens that exist once and are made on first
// use. Each is reached through one entry: `load` makes it when missing,
// while `loaded`, `isLoaded` and `isShownNow` never make it, so that a
// caller that only asks does not bring a window into being. The search
// dialog is never closed, only hidden.
#include <QWidget>

#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/script_editor_window.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/dialogs/trace_window.h"

namespace tesmiro::gui {

template <class W>
class OnDemandWindow {
 public:
  using Make = W* (*)(QWidget* owner);
  using Find = W* (*)();
  using Drop = void (*)();
  constexpr OnDemandWindow(Make make, Find find, Drop drop = nullptr) : make_(make), find_(find), drop_(drop) {}

  // `owner` owns a window made now; one that exists keeps its owner.
  W* load(QWidget* owner) const { return make_(owner); }
  W* loaded() const { return find_(); }
  // Closes it the window's own way (it stores what it keeps) when it exists.
  void unload() const { drop_(); }
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
  Drop drop_;
};

inline constexpr OnDemandWindow<TraceWindow> kTraceWindow{[](QWidget*) { return TraceWindow::load(); },
                                                         &TraceWindow::instance, &TraceWindow::unload};
inline constexpr OnDemandWindow<PreviewWindow> kPreviewWindow{[](QWidget*) { return PreviewWindow::load(); },
                                                             &PreviewWindow::instance, &PreviewWindow::unload};
inline constexpr OnDemandWindow<EventDialog> kEventDialog{[](QWidget*) { return EventDialog::load(); },
                                                         &EventDialog::instance, &EventDialog::UnloadInstance};
inline constexpr OnDemandWindow<ScriptEditorWindow> kScriptEditor{&ScriptEditorWindow::instance,
                                                                 &ScriptEditorWindow::loaded, &ScriptEditorWindow::unload};
inline constexpr OnDemandWindow<SearchDialog> kSearchDialog{
    &SearchDialog::instance, [] { return SearchDialog::isLoaded() ? SearchDialog::instance() : nullptr; }};

}  // namespace tesmiro::gui
