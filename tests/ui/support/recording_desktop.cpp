#include "support/recording_desktop.h"

#include <QWidget>
#include <utility>

namespace tesmiro::testing {

std::optional<std::vector<std::string>> RecordingFileDialogs::openFile(
    const std::string& title, const std::vector<DialogModule::FilterEntry>& filters, const std::string& initialDir,
    const std::string& suggested, bool multiSelect) {
  calls.push_back({false, title, filters, initialDir, suggested, multiSelect});
  if (answers.empty()) return std::nullopt;
  auto a = answers.front();
  answers.pop_front();
  if (!a || a->empty()) return std::nullopt;
  return a;
}

std::optional<std::string> RecordingFileDialogs::saveFile(const std::string& title,
                                                          const std::vector<DialogModule::FilterEntry>& filters,
                                                          const std::string& initialDir, const std::string& suggested) {
  calls.push_back({true, title, filters, initialDir, suggested, false});
  if (answers.empty()) return std::nullopt;
  auto a = answers.front();
  answers.pop_front();
  if (!a || a->empty()) return std::nullopt;
  return a->front();
}

QAction* RecordingPopups::exec(QMenu* menu, const QPoint&, QAction* defaultAction) {
  opened.push_back(menu->objectName());
  defaults.push_back(defaultAction ? defaultAction->objectName() : QString());
  if (choices.empty()) return nullptr;
  const QString want = choices.front();
  choices.pop_front();
  for (QAction* a : menu->actions()) {
    if (want.isEmpty() || (a->objectName() != want && a->text() != want)) continue;
    // As a real menu does: the chosen entry runs (when enabled) before exec returns.
    a->trigger();
    return a;
  }
  return nullptr;
}

void RecordingPlacement::setKeepOnTop(QWidget* window, bool onTop) {
  keepOnTop.emplace_back(window->objectName(), onTop);
}

bool RecordingOpener::openUrl(const QUrl& url) {
  calls.push_back("url " + url.toString());
  return result;
}
bool RecordingOpener::openFile(const QString& path, Failed failedLater) {
  calls.push_back("file " + path);
  if (result) started_.push_back({std::move(failedLater), {}});
  return result;
}
bool RecordingOpener::openPage(const QString& path, const QString& section, Failed failedLater, Opened openedLater) {
  calls.push_back("file " + path + (section.isEmpty() ? QString() : '#' + section));
  if (result) started_.push_back({std::move(failedLater), std::move(openedLater)});
  return result;
}
bool RecordingOpener::showInFolder(const QString& path, Failed failedLater) {
  calls.push_back("folder " + path);
  if (result) started_.push_back({std::move(failedLater), {}});
  return result;
}
bool RecordingOpener::runProgram(const QString& program, const QStringList& arguments) {
  calls.push_back("run " + program + " " + arguments.join(' '));
  return result;
}

void RecordingOpener::failLater() {
  for (const Started& s : std::exchange(started_, {}))
    if (s.failed) s.failed();
}

void RecordingOpener::succeedLater() {
  for (const Started& s : std::exchange(started_, {}))
    if (s.opened) s.opened();
}

bool RecordingSound::play(const QString& path, Failed failedLater) {
  calls.push_back("play " + path);
  playing = playable;
  failed_ = playable ? std::move(failedLater) : nullptr;
  return playable;
}

void RecordingSound::stop() {
  calls.push_back("stop");
  playing = false;
  failed_ = nullptr;
}

void RecordingSound::failLater() {
  playing = false;
  if (Failed failed = std::exchange(failed_, nullptr)) failed();
}

RecordingDesktop::RecordingDesktop()
    : scope_({&fileDialogs, &popups, &placement, &clock, &opener, &clipboard, &sound}) {}

}  // namespace tesmiro::testing
