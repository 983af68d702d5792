#pragma once
// The Qt side of the core's ports: message boxes, build progress on the
// status line with the cancel button, and the window services forwarded to
// the windows. None of them calls back into the core while the core waits.
#include "platform/ui.h"
#include "project/window_services.h"

namespace tesmiro::gui {

class QtMessages final : public ui::Messages {
 public:
  ui::Answer message(const std::string& title, const std::string& text, ui::Icon icon,
                     ui::Buttons buttons) override;
  // The main window's status line.
  void status(const std::string& line) override;
};

// Prints each line on the status line and lets the window run once, so that
// the cancel button can be pressed between two steps.
class QtBuildProgress final : public ui::BuildProgress {
 public:
  bool step(const std::string& line) override;
};

class QtWindowServices : public ui::WindowServices {
 public:
  void setCaption(const std::string& caption) override;
  void storeChanged() override;
  void eventsChanged() override;
  void drawTabsAndHeader() override;
  void setTimelineHeader() override;
  void focusFileList() override;
  void unloadScriptEditor() override;
  void hideScriptEditor() override;
  void showItemInfo(int32_t itemId) override;
  void unloadEventDialog() override;
  void buildRunningChanged(bool running) override;
  void unloadPreviewWindow() override;
  void showPreview(const std::string& path, ui::PreviewTarget target, int32_t width, int32_t height) override;
};

// The three for the core, as one value.
struct QtPorts {
  QtMessages messages;
  QtBuildProgress progress;
  QtWindowServices windows;
  ui::Services services() { return {&messages, &progress, &windows}; }
};

}  // namespace tesmiro::gui
