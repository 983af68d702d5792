#pragma once
// The small interfaces through which the core reaches the user. The Qt
// windows implement them; tests plug in a recording fake.
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
};

// The program's windows (project/window_services.h): the core reaches them
// through ui::Windows().
class WindowServices;

// The three, handed to the core together.
struct Services {
  Messages* messages = nullptr;
  BuildProgress* progress = nullptr;
  WindowServices* windows = nullptr;
};

// A process-wide instance set by the application at start-up (and by tests);
// the core's modules reach the user through it. Messages and progress are
// never null: when nothing was installed, a silent implementation answers
// (OK, no cancel). The window services stay as installed, null included.
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
