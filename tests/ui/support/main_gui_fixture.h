#pragma once
// A test with a fresh core in a temporary AppPaths, recording doubles of the
// messages and the desktop services, the Qt window services, and a main
// window built by start() and destroyed with the test. A failing test
// leaves a picture of the window in the build folder.
#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <memory>

#include "compiler/core_setup.h"
#include "support/find_control.h"
#include "support/input_helpers.h"
#include "support/recording_desktop.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "ui/main/event_list_area.h"
#include "ui/main/file_list_area.h"
#include "ui/main/qt_services.h"
#include "ui/main/main_gui.h"
#include "ui/main/main_menus.h"
#include "ui/main/print_canvas.h"
#include "ui/main/splitter_handle.h"

class QPlainTextEdit;
class QWidget;

namespace tesmiro::testing {

// Saves the widget's picture as PNG under "failed-grabs" in the working
// folder (the build folder of the tests); returns the file written.
std::filesystem::path SaveGrab(QWidget* widget, const std::string& name);

// Lets queued events and timers of zero delay run.
void Settle();

// Adds a material at the end of the file list (its file, or a text's text;
// nothing for sprites and folders) and returns its ID.
int32_t AddMaterialAtEnd(const std::string& key, std::string pathOrText = "");
// Makes the item's row the only selected one and the cursor row.
void SelectOnlyItem(int32_t id);

class MainGuiTest : public ::testing::Test {
 protected:
  MainGuiTest();
  ~MainGuiTest() override;
  void TearDown() override;

  // Builds the main window and runs its start-up with the command line.
  gui::MainGUI& start(const QString& commandLine = QString());
  // start(), then the window made the active one (keys go to it).
  gui::MainGUI& startActive(const QString& commandLine = QString());
  gui::MainGUI& window() { return *window_; }
  // Docks the script editor and switches it on, as the user does (its
  // controls are made then); returns the panel's text.
  QPlainTextEdit* showDockedScriptPanel();
  // Destroys the main window (its destructor is part of some tests).
  void destroyWindow();

  TempDir temp;
  AppPaths paths;
  RecordingUi ui;  // messages: answers from ui.answers, records ui.messages
  gui::QtBuildProgress progress;
  gui::QtWindowServices windows;
  RecordingDesktop desktop;

 private:
  std::unique_ptr<core::Installation> core_;
  std::unique_ptr<gui::MainGUI> window_;
};

}  // namespace tesmiro::testing
