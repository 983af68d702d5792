#pragma once
// The small interfaces through which the core reaches the user. The Qt
// windows implement them; tests plug in a recording fake.
#include <cstdint>
#include <string>

namespace tesmiro::ui {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// Messages, questions and the status line.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual Answer message(const std::string& title, const std::string& text, Icon icon,
                         Buttons buttons = Buttons::Ok) = 0;
  // Clears the status line and prints one line in it.
  virtual void status(const std::string& line) = 0;
};

// Progress of a build or preview: prints the line, lets the user interface
// run once, and answers whether cancel was pressed.
class BuildProgress {
 public:
  virtual ~BuildProgress() = default;
  virtual bool step(const std::string& line) = 0;
  virtual void showCancel(bool visible) = 0;
};

// Services of the main window and the dialogs that the core calls on. Each
// has a harmless default so that a window layer implements what it has.
class WindowServices {
 public:
  virtual ~WindowServices() = default;
  virtual void setCaption(const std::string& caption) {}
  // Model-changed notifications: the lists repaint from their models.
  virtual void storeChanged() {}
  virtual void eventsChanged() {}
  virtual void timelineShown(int32_t timelineIndex) {}
  virtual void showItemInfo(int32_t itemId) {}
  // Windows that hold parts of the model and are closed when it is replaced.
  virtual void clearScriptPane() {}
  virtual void unloadScriptEditor() {}
  virtual void unloadEventDialog() {}
  virtual void unloadPreviewWindow() {}
  // The event property dialog stays idle while a build or preview runs.
  virtual void setEventDialogFilling(bool filling) {}
  // A finished preview movie (or page) to show: 1 window, 2 browser, 3 player.
  virtual void showPreview(const std::string& path, int target, int32_t width, int32_t height) {}
  // The script editor window hides (it shows an event of the working list).
  virtual void hideScriptEditor() {}
  // The event list's click handler: views that follow the current event.
  virtual void eventListClicked() {}
  // The head line over the event list (text and 0x00BBGGRR background);
  // the tab strip and column heads are redrawn with it.
  virtual void setTimelineHeader(const std::string& text, uint32_t color) {}
  // Repaint the sprite-tab strip and the column heads.
  virtual void drawTabsAndHeader() {}
  // Give the keyboard focus to the file list.
  virtual void focusFileList() {}
};

// The three, handed to the core together.
struct Services {
  Messages* messages = nullptr;
  BuildProgress* progress = nullptr;
  WindowServices* windows = nullptr;
};

// A process-wide instance set by the application at start-up (and by tests);
// the core's modules reach the user through it. Never null: when nothing was
// installed, a silent implementation answers (OK, no cancel).
Services& Current();
void Install(const Services& services);

// Installs services for its lifetime; the previous ones come back after.
class ScopedServices {
 public:
  explicit ScopedServices(const Services& services) : previous_(Current()) { Install(services); }
  ~ScopedServices() { Install(previous_); }
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services previous_;
};

}  // namespace tesmiro::ui
