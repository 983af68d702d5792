#include "support/main_gui_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <cctype>
#include <cstdio>
#include <QWidget>

#include "project/list_models.h"
#include "project/preferences.h"
#include "project/store.h"

namespace tesmiro::testing {

std::filesystem::path SaveGrab(QWidget* widget, const std::string& name) {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::current_path(ec) / "failed-grabs";
  std::filesystem::create_directories(dir, ec);
  std::string file;
  for (char c : name) file += (std::isalnum(static_cast<unsigned char>(c)) || c == '-') ? c : '_';
  const std::filesystem::path path = dir / (file + ".png");
  widget->grab().save(QString::fromStdString(path.string()), "PNG");
  return path;
}

void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

int32_t AddMaterialAtEnd(const std::string& key, std::string pathOrText) {
  int32_t row = FileListModule::RowCount() + 1, mode = 0;
  const int32_t id = GUICore::AddStoreItem(pathOrText, key, row, mode);
  GUICore::RefreshFileList();
  return id;
}

void SelectOnlyItem(int32_t id) {
  auto& list = FileListModule::Current();
  FileListModule::ClearRowMarks();
  list.cursorRow = FileListModule::GetJpegListIndex(id);
  list.rows.at(list.cursorRow).selected = -1;
  FileListModule::DrawFileList();
}

MainGuiTest::MainGuiTest() : paths(AppPaths::InFolder(temp.path())) {
  core::ResetCoreState();
  paths.resources = std::filesystem::path(TESMIRO_SOURCE_ROOT) / "resources";
  core_ = std::make_unique<core::Installation>(
      core::Host{paths, ui::Services{&ui, &progress, &windows}, &desktop.fileDialogs});
}

MainGuiTest::~MainGuiTest() {
  destroyWindow();
  core_.reset();
  core::ResetCoreState();
}

void MainGuiTest::TearDown() {
  if (HasFailure() && window_) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto path = SaveGrab(window_.get(), std::string(info->test_suite_name()) + "-" + info->name());
    std::fprintf(stderr, "window picture kept in %s\n", path.c_str());
  }
}

gui::MainGUI& MainGuiTest::start(const QString& commandLine) {
  window_ = std::make_unique<gui::MainGUI>();
  window_->startUp(commandLine);
  Settle();
  return *window_;
}

gui::MainGUI& MainGuiTest::startActive(const QString& commandLine) {
  gui::MainGUI& w = start(commandLine);
  ActivateWindow(w);
  return w;
}

QPlainTextEdit* MainGuiTest::showDockedScriptPanel() {
  Prefs::Current().dockScriptEditor = 1;
  auto* const editorOn = Control<QAction>(*window_, "scriptEditorAction");
  if (!editorOn->isChecked()) editorOn->trigger();
  return Control<QPlainTextEdit>(window_->centralWidget(), "scriptEdit");
}

void MainGuiTest::destroyWindow() {
  window_.reset();
  Settle();
}

}  // namespace tesmiro::testing
