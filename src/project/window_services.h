#pragma once
// The windows of the program as the core sees them: the main window's lists
// and caption, the script pane and editor, the event property dialog and the
// preview window. The Qt windows implement the port; tests record its calls.
#include <cstdint>
#include <string>

namespace tesmiro::ui {

// Where a finished preview is shown.
enum class PreviewTarget : int { Window = 1, Browser = 2, Player = 3 };

// Each call has a harmless default so that a window layer implements what it
// has.
class WindowServices {
 public:
  virtual ~WindowServices() = default;
  virtual void setCaption(const std::string& caption) {}
  // Model-changed notifications: the lists repaint from their models.
  virtual void storeChanged() {}
  virtual void eventsChanged() {}
  virtual void showItemInfo(int32_t itemId) {}
  // Windows that hold parts of the model and are closed when it is replaced.
  virtual void unloadScriptEditor() {}
  virtual void unloadEventDialog() {}
  virtual void unloadPreviewWindow() {}
  // A build or preview started (true) or ended: the build lock tells, and
  // the windows turn their commands off meanwhile.
  virtual void buildRunningChanged(bool running) {}
  // A finished preview movie (or page) to show.
  virtual void showPreview(const std::string& path, PreviewTarget target, int32_t width, int32_t height) {}
  // The script editor window hides (it shows an event of the working list).
  virtual void hideScriptEditor() {}
  // The head line over the event list changed; the window draws it from
  // GUICore::TimelineHeaderText and TimelineHeaderColor, and redraws the tab
  // strip and column heads with it.
  virtual void setTimelineHeader() {}
  // Repaint the sprite-tab strip and the column heads.
  virtual void drawTabsAndHeader() {}
  // Give the keyboard focus to the file list.
  virtual void focusFileList() {}
};

// The window services installed with the other ports (ui::Install), or a
// silent stand-in when none were: never null.
WindowServices& Windows();

}  // namespace tesmiro::ui
