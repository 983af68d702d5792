#pragma once
// Recording doubles of the desktop services: each keeps its calls and
// answers from what the test put in it. Installed together by
// RecordingDesktop for the length of a test.
#include <QAction>
#include <QMenu>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/common/services.h"

namespace tesmiro::testing {

struct FileDialogCall {
  bool save = false;
  std::string title;
  std::vector<DialogModule::FilterEntry> filters;
  std::string initialDir;
  std::string suggested;
  bool multiSelect = false;
};

// Answers each dialog with the next queued result; nullopt (or an empty
// queue) is a cancelled dialog.
class RecordingFileDialogs final : public DialogModule::FileDialogService {
 public:
  std::optional<std::vector<std::string>> openFile(const std::string& title,
                                                   const std::vector<DialogModule::FilterEntry>& filters,
                                                   const std::string& initialDir, const std::string& suggested,
                                                   bool multiSelect) override;
  std::optional<std::string> saveFile(const std::string& title, const std::vector<DialogModule::FilterEntry>& filters,
                                      const std::string& initialDir, const std::string& suggested) override;

  std::deque<std::optional<std::vector<std::string>>> answers;
  std::vector<FileDialogCall> calls;
  // Convenience: queue one chosen path.
  void answer(const std::string& path) { answers.push_back(std::vector<std::string>{path}); }
  void cancel() { answers.push_back(std::nullopt); }
};

// Chooses the entry whose objectName (or text) is queued and triggers it, as
// QMenu::exec does; "" dismisses.
class RecordingPopups final : public gui::PopupMenus {
 public:
  QAction* exec(QMenu* menu, const QPoint& globalPos, QAction* defaultAction) override;
  std::deque<QString> choices;
  std::vector<QString> opened;  // objectName of each menu opened
  std::vector<QString> defaults;  // objectName of the default entry, "" when none
};

class RecordingPlacement final : public gui::WindowPlacement {
 public:
  void setKeepOnTop(QWidget* window, bool onTop) override;
  QRect workArea(const QPoint&) const override { return area; }
  QPoint cursorPos() const override { return cursor; }
  QRect area{0, 0, 1280, 1024};
  QPoint cursor{100, 100};
  std::vector<std::pair<QString, bool>> keepOnTop;
};

class FixedClock final : public gui::Clock {
 public:
  QDateTime now() const override { return time; }
  QDateTime time{QDate(2026, 12, 8), QTime(12, 0)};
};

class RecordingOpener final : public gui::Opener {
 public:
  bool openUrl(const QUrl& url) override;
  bool openFile(const QString& path, Failed failedLater) override;
  // Recorded as a file, with "#section" when it has one.
  bool openPage(const QString& path, const QString& section, Failed failedLater, Opened openedLater) override;
  bool showInFolder(const QString& path, Failed failedLater) override;
  bool runProgram(const QString& program, const QStringList& arguments) override;
  // As the desktop's opener exiting afterwards, with a failure or without:
  // every opening that started and is not yet told is told, once.
  void failLater();
  void succeedLater();
  std::vector<QString> calls;
  bool result = true;

 private:
  struct Started {
    Failed failed;
    Opened opened;
  };
  std::vector<Started> started_;
};

class MemoryClipboard final : public gui::Clipboard {
 public:
  QString text() const override { return content; }
  void setText(const QString& t) override { content = t; }
  QString content;
};

class RecordingSound final : public gui::SoundPlayer {
 public:
  bool play(const QString& path, Failed failedLater) override;
  void stop() override;
  bool isPlaying() const override { return playing; }
  QString whyNoSound() const override { return noSound; }
  // As the media backend failing on the playing sound.
  void failLater();
  std::vector<QString> calls;
  bool playable = true;
  bool playing = false;
  QString noSound;  // answered after a refused play

 private:
  Failed failed_;
};

// All of them, installed for the lifetime of the object.
class RecordingDesktop {
 public:
  RecordingDesktop();
  RecordingFileDialogs fileDialogs;
  RecordingPopups popups;
  RecordingPlacement placement;
  FixedClock clock;
  RecordingOpener opener;
  MemoryClipboard clipboard;
  RecordingSound sound;

 private:
  gui::ScopedDesktop scope_;
};

}  // namespace tesmiro::testing
