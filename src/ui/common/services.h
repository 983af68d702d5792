#pragma once
// The desktop services the windows use, behind small interfaces with Qt
// defaults: file dialogs, popup menus, window placement, clock, URL and
// file opener, clipboard and sound player. Tests swap in recording doubles
// with ScopedDesktop, which restores the previous ones when it ends.
#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "project/file_dialogs.h"

class QAction;
class QMenu;
class QWidget;

namespace tesmiro::gui {

// Opens a popup menu at a screen position and returns the chosen entry,
// or null when the menu was dismissed.
class PopupMenus {
 public:
  virtual ~PopupMenus() = default;
  virtual QAction* exec(QMenu* menu, const QPoint& globalPos, QAction* defaultAction) = 0;
};

class WindowPlacement {
 public:
  virtual ~WindowPlacement() = default;
  virtual void setKeepOnTop(QWidget* window, bool onTop) = 0;
  // The available area of the screen that holds the point.
  virtual QRect workArea(const QPoint& globalPos) const = 0;
  virtual QPoint cursorPos() const = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
};

// Each answers false when the opening could not start.
class Opener {
 public:
  // Runs on the GUI thread when the desktop's opener, once started, exits
  // with a failure (no program for the file, or the one found did not run).
  using Failed = std::function<void()>;
  // Runs on the GUI thread, once, when the file is known to be taken: the
  // desktop's opener exited well, or still runs a while after it started
  // (it then waits for the program it found, which has the file). Never
  // after a failure; a failure may still come after it.
  using Opened = std::function<void()>;
  virtual ~Opener() = default;
  virtual bool openUrl(const QUrl& url) = 0;                              // web pages, mail
  virtual bool openFile(const QString& path, Failed failedLater) = 0;     // with its associated program
  // An HTML page in the desktop's browser, at `section` (one of its
  // anchors; empty for its top).
  virtual bool openPage(const QString& path, const QString& section, Failed failedLater, Opened openedLater) = 0;
  virtual bool showInFolder(const QString& path, Failed failedLater) = 0; // the file manager, the file selected
  virtual bool runProgram(const QString& program, const QStringList& arguments) = 0;
  bool openFile(const QString& path) { return openFile(path, {}); }
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual QString text() const = 0;
  virtual void setText(const QString& text) = 0;
};

class SoundPlayer {
 public:
  // Runs on the GUI thread when a sound that began to play fails (the
  // media backend cannot play it after all).
  using Failed = std::function<void()>;
  virtual ~SoundPlayer() = default;
  // False when the file cannot be played here.
  virtual bool play(const QString& path, Failed failedLater) = 0;
  // After a play() that answered false: why no sound plays here at all
  // (the sound library or its media backend is missing), for the user, in
  // Japanese; empty when it was the file.
  virtual QString whyNoSound() const = 0;
  virtual void stop() = 0;
  virtual bool isPlaying() const = 0;
};

struct DesktopServices {
  DialogModule::FileDialogService* fileDialogs = nullptr;
  PopupMenus* popups = nullptr;
  WindowPlacement* placement = nullptr;
  Clock* clock = nullptr;
  Opener* opener = nullptr;
  Clipboard* clipboard = nullptr;
  SoundPlayer* sound = nullptr;
};

// The current services; never null members (the Qt defaults stand in for
// anything not installed).
const DesktopServices& Desktop();

// Installs the non-null members for its lifetime; the previous services come
// back when it ends. The file-dialog member is also installed as the core's
// file dialogs.
class ScopedDesktop {
 public:
  explicit ScopedDesktop(const DesktopServices& services);
  ~ScopedDesktop();
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;

 private:
  DesktopServices previous_;
  DialogModule::FileDialogService* previousCoreDialogs_;
};

// The Qt implementations (for the composition root and for tests that
// wrap them).
DesktopServices QtDesktopServices();

// Opening a file for the user, or saying why not: where the file is missing
// or the desktop does not open it (at once, or when its opener exits with a
// failure), an "エラー" box says "<what>を開けませんでした。" and names the
// file on the next line. Both answer whether the opening started.
bool OpenFileOrTell(const std::string& what, const std::string& path);
bool ShowInFolderOrTell(const std::string& what, const std::string& path);
// The same for an HTML page, at its `section` (empty for its top);
// `opened` runs once the page is taken (see Opener::Opened).
bool OpenPageOrTell(const std::string& what, const std::string& path, const std::string& section,
                    Opener::Opened opened = {});
// That box, for a failure found by other means; `reason`, when there is
// one, follows the file on a line of its own.
void TellNotOpened(const std::string& what, const std::string& path, const std::string& reason = {});

}  // namespace tesmiro::gui
