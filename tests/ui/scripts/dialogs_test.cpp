// The search, project properties, import and options dialogs, and the menu
// entries that open them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <optional>
#include <vector>
#include <filesystem>
#include <fstream>

#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/project_file.h"
#include "project/store.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/project_dialog.h"
#include "ui/dialogs/search_dialog.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

class DialogsTest : public MainGuiTest {
 protected:
  // Runs the action; the modal dialog it opens is named and closed.
  QString ModalOpenedBy(QAction* action) {
    QString seen;
    QTimer::singleShot(0, [&seen] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        seen = modal->objectName();
        modal->close();
      }
    });
    action->trigger();
    Settle();
    return seen;
  }
  static EventRecord Labelled(const std::string& text) {
    EventRecord e;
    e.itemId = 0;
    e.kind = static_cast<int16_t>(ActionKind::Label);
    e.text1 = text;
    return e;
  }
};

TEST_F(DialogsTest, EachWindowOpensFromItsMenuEntry) {
  start();
  EXPECT_EQ(ModalOpenedBy(Control<QAction>(window(), "projectPropertiesAction")), QStringLiteral("ProjectDialog"));
  EXPECT_EQ(ModalOpenedBy(Control<QAction>(window(), "optionsAction")), QStringLiteral("OptionDialog"));
  EXPECT_EQ(ModalOpenedBy(Control<QAction>(window(), "importProjectAction")), QStringLiteral("ImportDialog"));

  // Search-next before any search repeats nothing and makes no dialog.
  Control<QAction>(window(), "findNextAction")->trigger();
  EXPECT_FALSE(gui::SearchDialog::isLoaded());
  Control<QAction>(window(), "findAction")->trigger();
  ASSERT_TRUE(gui::SearchDialog::isLoaded());
  EXPECT_TRUE(gui::SearchDialog::instance()->isVisible());

  EXPECT_FALSE(window().scriptPanelShown());
  Prefs::Current().dockScriptEditor = 1;
  Control<QAction>(window(), "scriptEditorAction")->trigger();
  EXPECT_TRUE(window().scriptPanelShown());
}

TEST_F(DialogsTest, SearchKeepsItsSettingsForSearchNext) {
  start();
  for (const char* name : {"intro", "loop", "intro2"}) {
    EventRecord e = Labelled(name);
    GUICore::InsertEvent(e, GUICore::EventCount());
  }
  EventListModule::Current().currentRow = 0;
  Control<QAction>(window(), "findAction")->trigger();
  gui::SearchDialog* search = gui::SearchDialog::instance();
  auto* searchButton = Control<QPushButton>(search, "searchButton");

  searchButton->click();  // empty: nothing, the dialog stays
  EXPECT_TRUE(search->isVisible());
  EXPECT_TRUE(ui.messages.empty());

  Control<QRadioButton>(search, "eventListOption")->setChecked(true);
  Control<QLineEdit>(search, "searchTextBox")->setText(QStringLiteral("intro"));
  searchButton->click();
  EXPECT_FALSE(search->isVisible());
  EXPECT_EQ(EventListModule::Current().currentRow, 2);  // after the current row
  Control<QAction>(window(), "findNextAction")->trigger();
  EXPECT_EQ(EventListModule::Current().currentRow, 0);  // wrapped round
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DialogsTest, ProjectDialogOptionLettersRoundTrip) {
  start();
  Prefs::Current().doubleClickProperty = 0;
  GUICore::State().settings.options = "C 7RZ";
  GUICore::SetModified(false);

  gui::ProjectDialog dialog(&window());
  dialog.fill(GUICore::ProjectFieldsFrom(GUICore::State().settings));
  EXPECT_TRUE(Control<QCheckBox>(dialog, "compressCheck")->isChecked());
  EXPECT_EQ(Control<QComboBox>(dialog, "swfVersionList")->currentText(), QStringLiteral("SWF7"));
  EXPECT_TRUE(Control<QCheckBox>(dialog, "relativePathsCheck")->isChecked());
  EXPECT_TRUE(Control<QLabel>(dialog, "versionHintLabel")->text().startsWith(QStringLiteral("MX 2004 相当")));
  Control<QPushButton>(dialog, "okButton")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(GUICore::State().settings.options, "C 7RZ");
  EXPECT_FALSE(GUICore::HasUnsavedChanges());  // nothing changed

  gui::ProjectDialog again(&window());
  again.fill(GUICore::ProjectFieldsFrom(GUICore::State().settings));
  Control<QComboBox>(again, "swfVersionList")->setCurrentIndex(1);  // SWF6 is a blank
  Control<QCheckBox>(again, "compressCheck")->setChecked(false);
  Control<QScrollBar>(again, "backgroundSliders_0")->setValue(0);
  EXPECT_EQ(Control<QLineEdit>(again, "backgroundBoxes_0")->text(), QStringLiteral("0"));
  Control<QLineEdit>(again, "backgroundBoxes_2")->setText(QStringLiteral("300"));  // outside the bar: ignored
  EXPECT_EQ(Control<QScrollBar>(again, "backgroundSliders_2")->value(), 255);
  Control<QPushButton>(again, "okButton")->click();
  EXPECT_EQ(GUICore::State().settings.options, "   RZ");
  EXPECT_EQ(GUICore::State().settings.backgroundRed, 0);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
}

TEST_F(DialogsTest, ProjectPropertiesFromTheMenuRenumberTheFrames) {
  start();
  EventRecord e;
  e.itemId = 0;
  e.kind = static_cast<int16_t>(ActionKind::Stop);
  GUICore::InsertEvent(e, 0);
  ASSERT_EQ(EventListModule::Current().rows[0].startFrame, 1);
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<gui::ProjectDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    Control<QCheckBox>(dialog, "loadingScreenCheck")->setChecked(true);  // the loading screen takes frame 1
    Control<QLineEdit>(dialog, "frameRateBox")->setText(QStringLiteral("24"));
    Control<QPushButton>(dialog, "okButton")->click();
  });
  Control<QAction>(window(), "projectPropertiesAction")->trigger();
  Settle();
  EXPECT_EQ(GUICore::State().settings.preloader, 1);
  EXPECT_FLOAT_EQ(GUICore::State().settings.frameRate, 24.0f);
  EXPECT_EQ(EventListModule::Current().rows[0].startFrame, 2);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
}

TEST_F(DialogsTest, ProjectDialogRefusesAZeroWidthAndStoresDefaultsOnlyWhenWritten) {
  start();
  gui::ProjectDialog dialog(&window());
  dialog.fill(GUICore::ProjectFieldsFrom(GUICore::State().settings));
  auto* stageWidthBox = Control<QLineEdit>(dialog, "stageWidthBox");
  stageWidthBox->setText(QStringLiteral("0"));
  Control<QPushButton>(dialog, "okButton")->click();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(GUICore::State().settings.width, 320);

  ui.messages.clear();
  stageWidthBox->setText(QStringLiteral("640"));
  Control<QPushButton>(dialog, "storeDefaultsButton")->click();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Tesmiro");
  EXPECT_TRUE(fs::exists(paths.config / "_default.tsm"));
  EXPECT_EQ(GUICore::State().settings.width, 320);  // until OK

  // The swatch opens the colour picker; a cancelled picker changes nothing.
  std::vector<std::array<int, 3>> asked;
  std::optional<std::array<int, 3>> answer = std::array<int, 3>{10, 20, 30};
  dialog.pickColour = [&](QWidget*, std::array<int, 3> rgb) {
    asked.push_back(rgb);
    return answer;
  };
  auto* backgroundSwatch = Control<QLabel>(dialog, "backgroundSwatch");
  QTest::mouseClick(backgroundSwatch, Qt::LeftButton);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(dialog.fields().background, (std::array<int32_t, 3>{10, 20, 30}));
  EXPECT_EQ(Control<QLineEdit>(dialog, "backgroundBoxes_2")->text(), QStringLiteral("30"));
  answer.reset();
  QTest::mouseClick(backgroundSwatch, Qt::LeftButton);
  EXPECT_EQ(dialog.fields().background, (std::array<int32_t, 3>{10, 20, 30}));

  // Ticking pseudo-streaming asks first; Cancel leaves it unticked.
  ui.messages.clear();
  ui.answers.push_back(ui::Answer::Cancel);
  auto* soundSyncCheck = Control<QCheckBox>(dialog, "soundSyncCheck");
  soundSyncCheck->click();
  EXPECT_FALSE(soundSyncCheck->isChecked());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "注意");
}

TEST_F(DialogsTest, ImportDialogStaysWithItsEntriesAfterAnError) {
  start();
  const fs::path bad = temp / "bad.tsm";
  std::ofstream(bad, std::ios::binary) << "not a project";

  gui::ImportDialog dialog(&window());
  auto* importButton = Control<QPushButton>(dialog, "importButton");
  auto* spriteNameBox = Control<QLineEdit>(dialog, "spriteNameBox");
  auto* asSpriteCheck = Control<QCheckBox>(dialog, "asSpriteCheck");
  auto* skipEventsCheck = Control<QCheckBox>(dialog, "skipEventsCheck");
  EXPECT_FALSE(importButton->isEnabled());
  desktop.fileDialogs.answer(bad.string());
  Control<QPushButton>(dialog, "browseButton")->click();
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 1u);
  EXPECT_EQ(desktop.fileDialogs.calls[0].filters.at(0).patterns.at(0), "*.tsm");
  EXPECT_TRUE(importButton->isEnabled());
  EXPECT_EQ(spriteNameBox->text(), QStringLiteral("bad_tsm"));
  asSpriteCheck->setChecked(true);
  EXPECT_TRUE(skipEventsCheck->isChecked());
  EXPECT_FALSE(skipEventsCheck->isEnabled());
  asSpriteCheck->setChecked(false);
  EXPECT_TRUE(skipEventsCheck->isChecked());
  EXPECT_TRUE(skipEventsCheck->isEnabled());
  EXPECT_EQ(Control<QRadioButton>(dialog, "idModeOptions_1")->text(), QStringLiteral("ID：0001 以降に追加"));

  bool shownAfterError = false;
  QTimer::singleShot(0, [&] {
    importButton->click();
    shownAfterError = dialog.isVisible();
    dialog.reject();
  });
  dialog.exec();
  EXPECT_TRUE(shownAfterError);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "ファイルオープンエラー");
  EXPECT_EQ(ui.messages[0].text.rfind("ファイル [bad.tsm] ", 0), 0u);
  EXPECT_EQ(Control<QLineEdit>(dialog, "projectFileBox")->text(), gui::ToQ(bad.string()));
  EXPECT_EQ(spriteNameBox->text(), QStringLiteral("bad_tsm"));

  // A project that reads imports its materials and closes the dialog.
  GUICore::NewProject();
  int32_t row = 1, mode = 0;
  std::string name = "sprite";
  GUICore::AddStoreItem(name, "sprite", row, mode);
  const fs::path good = temp / "good.tsm";
  ASSERT_TRUE(GUICore::SaveProject(good.string()));
  GUICore::NewProject();
  gui::ImportDialog importing(&window());
  Control<QLineEdit>(importing, "projectFileBox")->setText(gui::ToQ(good.string()));
  EXPECT_TRUE(importing.importProject());
  EXPECT_EQ(importing.result(), QDialog::Accepted);
  EXPECT_EQ(GUICore::StoreItemCount(), 1);
}

TEST_F(DialogsTest, OptionsClampTheWheelAndReadTextAsItsLeadingNumber) {
  start();
  Preferences& p = Prefs::Current();
  p.windowTopward = 63;
  p.mouseWheelScroll = 3;
  gui::OptionDialog dialog(&window());
  auto* wheelRowsBox = Control<QLineEdit>(dialog, "wheelRowsBox");
  auto* scriptEditorTopCheck = Control<QCheckBox>(dialog, "keepOnTopChecks_1");
  auto* alwaysShownCheck = Control<QCheckBox>(dialog, "eventPropertyAlwaysShownCheck");
  auto* positionCheck = Control<QCheckBox>(dialog, "eventDialogPositionCheck");
  auto* htmlGroup = Control<QGroupBox>(dialog, "htmlGroup");
  EXPECT_EQ(wheelRowsBox->text(), QStringLiteral("3"));
  EXPECT_TRUE(scriptEditorTopCheck->isChecked());

  alwaysShownCheck->setChecked(true);  // always shown: the position is kept
  EXPECT_TRUE(positionCheck->isChecked());
  EXPECT_FALSE(positionCheck->isEnabled());
  alwaysShownCheck->setChecked(false);
  EXPECT_TRUE(positionCheck->isEnabled());
  EXPECT_FALSE(htmlGroup->isEnabled());
  Control<QCheckBox>(dialog, "saveHtmlCheck")->setChecked(true);
  EXPECT_TRUE(htmlGroup->isEnabled());

  Control<QPushButton>(dialog, "editHtmlButton")->click();  // the template is made when missing, then opened
  const fs::path html = paths.config / "template.txt";
  EXPECT_TRUE(fs::exists(html));
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  EXPECT_EQ(desktop.opener.calls[0], "file " + gui::ToQ(html.string()));

  wheelRowsBox->setText(QStringLiteral("99"));
  Control<QLineEdit>(dialog, "undoDepthBox")->setText(QStringLiteral("lots"));
  scriptEditorTopCheck->setChecked(false);
  Control<QPushButton>(dialog, "okButton")->click();
  EXPECT_EQ(p.mouseWheelScroll, 16);
  EXPECT_EQ(p.filelistHistoryMax, 0);
  EXPECT_EQ(GUICore::State().filelistHistoryMax, 0);
  EXPECT_EQ(p.windowTopward, 59);
  EXPECT_EQ(p.saveHTML, 1);

  gui::OptionDialog second(&window());
  Control<QLineEdit>(second, "wheelRowsBox")->setText(QStringLiteral("0"));
  Control<QPushButton>(second, "okButton")->click();
  EXPECT_EQ(p.mouseWheelScroll, 1);

  gui::OptionDialog cancelled(&window());
  Control<QLineEdit>(cancelled, "wheelRowsBox")->setText(QStringLiteral("8"));
  Control<QPushButton>(cancelled, "cancelButton")->click();
  EXPECT_EQ(p.mouseWheelScroll, 1);
}

}  // namespace
}  // namespace tesmiro::testing
