#pragma once
// A fresh project for each test: every module reset, a
// recording user interface installed, settings files looked for in a
// private temporary folder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/project_state.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace tesmiro::testing {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GUICore::ResetProjectState();
    GUICore::State().paths = AppPaths::InFolder(dir.path());
    GUICore::NewProject();
    ui.calls.clear();
  }

  static void WriteFile(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }

  // Adds an item at the end of the list; result its ID.
  static int32_t AddItem(const std::string& key, std::string name = "") {
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    int32_t id = GUICore::AddStoreItem(name, key, row, mode);
    GUICore::RefreshFileList();
    return id;
  }

  // Adds an item at the end of the folder with the ID (folders opened).
  static int32_t AddIntoFolder(int32_t folderId, const std::string& key, std::string name = "") {
    GUICore::SetAllFoldersOpen(1);
    int32_t row = FileListModule::GetJpegListIndex(folderId), mode = 1;
    int32_t id = GUICore::AddStoreItem(name, key, row, mode);
    GUICore::RefreshFileList();
    return id;
  }

  TempDir dir;
  RecordingUi ui;
};

}  // namespace tesmiro::testing
