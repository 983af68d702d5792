#include "compiler/core_setup.h"

#include <gtest/gtest.h>

#include "compiler/movie_compiler.h"
#include "project/event_colors.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/recent_files.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace tesmiro {
namespace {

class NoDialogs final : public DialogModule::FileDialogService {
 public:
  std::optional<std::vector<std::string>> openFile(const std::string&, const std::vector<DialogModule::FilterEntry>&,
                                                   const std::string&, const std::string&, bool) override {
    return std::nullopt;
  }
  std::optional<std::string> saveFile(const std::string&, const std::vector<DialogModule::FilterEntry>&,
                                      const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

TEST(CoreSetup, InstallsEveryHookAndRestoresThePreviousOnes) {
  testing::TempDir dir;
  testing::RecordingUi outer;  // the services before
  swf::ScriptCompiler* compilerBefore = swf::CurrentScriptCompiler();
  NoDialogs dialogs;
  testing::RecordingUi mine;
  {
    core::Installation install({AppPaths::InFolder(dir.path()), {&mine, &mine, &mine}, &dialogs});
    EXPECT_EQ(ui::Current().messages, &mine);
    EXPECT_EQ(DialogModule::CurrentFileDialogs(), &dialogs);
    EXPECT_NE(swf::CurrentScriptCompiler(), nullptr);
    EXPECT_TRUE(static_cast<bool>(SWFMakeCore::CurrentTextCollector()));
    EXPECT_EQ(GUICore::State().paths.config, dir.path());
    GUICore::NewProject();
    EXPECT_EQ(mine.caption, GUICore::kNewProjectCaption);
  }
  // `mine` installed itself after `outer`; the installation gave back what
  // it found.
  EXPECT_EQ(ui::Current().messages, &mine);
  EXPECT_EQ(DialogModule::CurrentFileDialogs(), nullptr);
  EXPECT_EQ(swf::CurrentScriptCompiler(), compilerBefore);
  EXPECT_NE(GUICore::State().paths.config, dir.path());
}

TEST(CoreSetup, ResetBringsEveryModuleBackButKeepsHooks) {
  testing::RecordingUi ui;
  bool hookCalled = false;
  GUICore::ScopedRecentFilesHook hook([&] { hookCalled = true; });
  GUICore::State().projectPath = "/x.tsm";
  GUICore::State().filelistHistoryMax = 3;
  FileListModule::Current().cursorRow = 9;
  EventListModule::Current().currentRow = 4;
  GUICore::AddRecentFile("/x.tsm");
  Prefs::Current().mouseWheelScroll = 9;
  EventListModule::EventColors()[0].bold = 0;
  GUICore::Build().cancelBuild = -1;
  hookCalled = false;

  core::ResetCoreState();
  EXPECT_EQ(GUICore::State().projectPath, "");
  EXPECT_EQ(GUICore::State().filelistHistoryMax, 50);
  EXPECT_EQ(FileListModule::Current().cursorRow, -1);
  EXPECT_EQ(EventListModule::Current().currentRow, 0);
  EXPECT_EQ(GUICore::RecentFile(1), "");
  EXPECT_EQ(Prefs::Current().mouseWheelScroll, 1);
  EXPECT_EQ(EventListModule::EventColors()[0].bold, 1);
  EXPECT_EQ(GUICore::Build().cancelBuild, 0);
  GUICore::AddRecentFile("/y.tsm");
  EXPECT_TRUE(hookCalled);
}

}  // namespace
}  // namespace tesmiro
