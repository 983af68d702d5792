#include "ui/main/qt_services.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "ui/common/qt_text.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/script_editor_window.h"
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_area.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/print_canvas.h"

namespace tesmiro::gui {
namespace {

QMessageBox::Icon IconOf(ui::Icon icon) {
  switch (icon) {
    case ui::Icon::Critical: return QMessageBox::Critical;
    case ui::Icon::Question: return QMessageBox::Question;
    case ui::Icon::Exclamation: return QMessageBox::Warning;
    case ui::Icon::Information: return QMessageBox::Information;
    case ui::Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

ui::Answer QtMessages::message(const std::string& title, const std::string& text, ui::Icon icon,
                               ui::Buttons buttons) {
  QWidget* parent = QApplication::activeWindow();
  if (!parent) parent = MainGUI::instance();
  QMessageBox box(IconOf(icon), ToQ(title), ToQ(text), QMessageBox::NoButton, parent);
  struct Choice {
    QPushButton* button;
    ui::Answer answer;
  };
  std::vector<Choice> choices;
  auto add = [&](const char* caption, QMessageBox::ButtonRole role, ui::Answer a) {
    choices.push_back({box.addButton(QString::fromUtf8(caption), role), a});
  };
  switch (buttons) {
    case ui::Buttons::Ok: add("OK", QMessageBox::AcceptRole, ui::Answer::Ok); break;
    case ui::Buttons::OkCancel:
      add("OK", QMessageBox::AcceptRole, ui::Answer::Ok);
      add("キャンセル", QMessageBox::RejectRole, ui::Answer::Cancel);
      break;
    case ui::Buttons::YesNo:
      add("はい(&Y)", QMessageBox::YesRole, ui::Answer::Yes);
      add("いいえ(&N)", QMessageBox::NoRole, ui::Answer::No);
      break;
    case ui::Buttons::YesNoCancel:
      add("はい(&Y)", QMessageBox::YesRole, ui::Answer::Yes);
      add("いいえ(&N)", QMessageBox::NoRole, ui::Answer::No);
      add("キャンセル", QMessageBox::RejectRole, ui::Answer::Cancel);
      break;
    case ui::Buttons::RetryCancel:
      add("再試行(&R)", QMessageBox::AcceptRole, ui::Answer::Retry);
      add("キャンセル", QMessageBox::RejectRole, ui::Answer::Cancel);
      break;
  }
  box.setDefaultButton(choices.front().button);
  // Escape gives the last choice: Cancel where there is one, else No or OK.
  box.setEscapeButton(choices.back().button);
  box.exec();
  for (const Choice& c : choices)
    if (box.clickedButton() == c.button) return c.answer;
  return choices.back().answer;
}

void QtMessages::status(const std::string& line) {
  if (MainGUI* w = MainGUI::instance()) w->fileList().printStatus(ToQ(line));
}

bool QtBuildProgress::step(const std::string& line) {
  MainGUI* w = MainGUI::instance();
  return w ? w->buildStep(line) : false;
}

void QtWindowServices::setCaption(const std::string& caption) {
  if (MainGUI* w = MainGUI::instance()) w->setWindowTitle(ToQ(caption));
}

void QtWindowServices::storeChanged() {
  if (MainGUI* w = MainGUI::instance()) w->fileList().refresh();
}

void QtWindowServices::eventsChanged() {
  if (MainGUI* w = MainGUI::instance()) w->eventList().draw();
}

void QtWindowServices::drawTabsAndHeader() {
  if (MainGUI* w = MainGUI::instance()) w->eventList().drawTabsAndHeader();
}

void QtWindowServices::setTimelineHeader() { drawTabsAndHeader(); }

void QtWindowServices::unloadScriptEditor() { ScriptEditorWindow::unload(); }

void QtWindowServices::hideScriptEditor() {
  if (ScriptEditorWindow* editor = ScriptEditorWindow::loaded()) editor->hide();
}

void QtWindowServices::focusFileList() {
  if (MainGUI* w = MainGUI::instance()) w->fileList().list()->setFocus();
}

void QtWindowServices::showItemInfo(int32_t itemId) {
  if (MainGUI* w = MainGUI::instance()) w->fileList().ShowItemInfo(itemId);
}

void QtWindowServices::unloadEventDialog() { EventDialog::UnloadInstance(); }

void QtWindowServices::buildRunningChanged(bool running) {
  if (MainGUI* w = MainGUI::instance()) w->onBuildRunningChanged(running);
  if (EventDialog* d = EventDialog::instance()) d->onBuildRunningChanged(running);
}

void QtWindowServices::unloadPreviewWindow() { PreviewWindow::unload(); }

void QtWindowServices::showPreview(const std::string& path, ui::PreviewTarget target, int32_t width, int32_t height) {
  if (MainGUI* w = MainGUI::instance()) w->menus().showPreview(ToQ(path), target, width, height);
}

}  // namespace tesmiro::gui
