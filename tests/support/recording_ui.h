#pragma once
// A recording stand-in for the user interface: keeps every message, status
// line, progress line and window call, and answers questions from a queue.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "project/window_services.h"

namespace tesmiro::testing {

struct RecordedMessage {
  std::string title;
  std::string text;
  ui::Icon icon;
  ui::Buttons buttons;
};

class RecordingUi final : public ui::Messages, public ui::BuildProgress, public ui::WindowServices {
 public:
  // Installs itself as the current services; the previous ones come back
  // when it is destroyed.
  RecordingUi();
  ~RecordingUi() override;
  RecordingUi(const RecordingUi&) = delete;
  RecordingUi& operator=(const RecordingUi&) = delete;

  // Messages
  ui::Answer message(const std::string& title, const std::string& text, ui::Icon icon,
                     ui::Buttons buttons) override;
  void status(const std::string& line) override { statusLines.push_back(line); }
  // Progress: cancel is reported from the step numbered cancelAtStep on (1-based; 0 never).
  bool step(const std::string& line) override;
  // Windows
  void setCaption(const std::string& c) override { caption = c; }
  void storeChanged() override { calls.push_back("storeChanged"); }
  void eventsChanged() override { calls.push_back("eventsChanged"); }
  void showItemInfo(int32_t id) override { calls.push_back("showItemInfo " + std::to_string(id)); }
  void unloadScriptEditor() override { calls.push_back("unloadScriptEditor"); }
  void unloadEventDialog() override { calls.push_back("unloadEventDialog"); }
  void unloadPreviewWindow() override { calls.push_back("unloadPreviewWindow"); }
  void buildRunningChanged(bool running) override { calls.push_back(running ? "buildRunning" : "buildEnded"); }
  void showPreview(const std::string& path, ui::PreviewTarget target, int32_t w, int32_t h) override;
  void hideScriptEditor() override { calls.push_back("hideScriptEditor"); }
  void setTimelineHeader() override { calls.push_back("setTimelineHeader"); }
  void drawTabsAndHeader() override { calls.push_back("drawTabsAndHeader"); }
  void focusFileList() override { calls.push_back("focusFileList"); }

  std::deque<ui::Answer> answers;  // consumed by questions; Ok/Yes when empty
  // Runs as each box comes up, as a modal box's event loop runs the
  // window's timers and whatever the user does meanwhile.
  std::function<void()> whileShown;
  std::vector<RecordedMessage> messages;
  std::vector<std::string> statusLines;
  std::vector<std::string> progressLines;
  std::vector<std::string> calls;
  std::string caption;
  int cancelAtStep = 0;

 private:
  ui::Services previous_;
};

}  // namespace tesmiro::testing
