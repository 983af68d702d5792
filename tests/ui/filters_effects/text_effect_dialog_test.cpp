// The text-effect dialog with templates of its own: the lists, stored
// parameters carried over, counts corrected, OK and Cancel, the preview.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <filesystem>

#include "compiler/text_effects.h"
#include "platform/app_paths.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/project_file.h"
#include "project/store.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/store_dialog.h"
#include "ui/dialogs/text_effect_dialog.h"
#include "ui/main/store_property_command.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;
using gui::TextEffectDialog;

class TextEffectDialogTest : public MainGuiTest {
 protected:
  TextEffectDialogTest() {
    GUICore::State().paths.userData = temp.path() / "user";
    GUICore::State().paths.resources = temp.path() / "shipped";
    SaveTemplate("user", "in", "fly", "__speed=3; // how fast\n__height=10; // how high", "someone");
    SaveTemplate("shipped", "in", "Drop", "__height=5;", "");
    SaveTemplate("shipped", "out", "fade", "", "");
  }

  void SaveTemplate(const char* root, const char* half, const std::string& name, const std::string& params,
                    const std::string& author) {
    auto& m = GUICore::State();
    const fs::path folder = temp.path() / root / "effect" / half;
    fs::create_directories(folder);
    std::vector<EventRecord> events;
    EventRecord param = GUICore::InitEventRecord();
    param.kind = static_cast<int16_t>(ActionKind::Script);
    param.text1 = "param";
    param.text2 = params;
    events.push_back(param);
    EventRecord note = GUICore::InitEventRecord();
    note.kind = static_cast<int16_t>(ActionKind::DoNothing);
    note.text1 = "author:" + author;
    events.push_back(note);
    EventRecord letter = GUICore::InitEventRecord();
    letter.itemId = 1;
    letter.frameCount = 4;
    events.push_back(letter);
    m.timelines.assign(1, Timeline{});
    m.events = OneBased<EventRecord>(events);
    ASSERT_TRUE(GUICore::SaveProject((folder / (name + ".tsm")).string()));
    GUICore::NewProject();
  }

  template <class W>
  static W* Indexed(TextEffectDialog& d, const char* name, int i) {
    return Control<W>(d, (std::string(name) + "_" + std::to_string(i)).c_str());
  }
  // The controls of a half (0 in, 1 out) and of a frame-count row (0 in,
  // 1 out, 2 display, 3 the total).
  static QComboBox* Templates(TextEffectDialog& d, int half) { return Indexed<QComboBox>(d, "templateLists", half); }
  static QComboBox* Parameters(TextEffectDialog& d, int half) { return Indexed<QComboBox>(d, "parameterLists", half); }
  static QLineEdit* Value(TextEffectDialog& d, int half) { return Indexed<QLineEdit>(d, "parameterValueBoxes", half); }
  static QLineEdit* Interval(TextEffectDialog& d, int half) { return Indexed<QLineEdit>(d, "intervalBoxes", half); }
  static QLineEdit* Frames(TextEffectDialog& d, int row) { return Indexed<QLineEdit>(d, "frameCountBoxes", row); }
  static void Click(TextEffectDialog& d, const char* button) { Control<QPushButton>(d, button)->click(); }

  static QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
};

TEST_F(TextEffectDialogTest, StoredParametersCarryOverAndOkGivesTheString) {
  TextEffectDialog d;
  EXPECT_EQ(Items(Templates(d, 0)), (QStringList{"なし", "Drop", "fly"}));
  EXPECT_EQ(Items(Templates(d, 1)), (QStringList{"なし", "fade"}));
  EXPECT_EQ(Items(Control<QComboBox>(d, "orderLists_0")), (QStringList{"左から", "右から", "中から", "端から", "ﾗﾝﾀﾞﾑ"}));

  d.SetParam("@fly;30;2;9;fade;10;1;2;5;0:height=99;0:gone=4");
  EXPECT_EQ(Templates(d, 0)->currentText(), QStringLiteral("fly"));
  EXPECT_EQ(Control<QComboBox>(d, "orderLists_0")->currentIndex(), 1);  // 9 And 7
  EXPECT_EQ(Frames(d, 3)->text(), QStringLiteral("45"));
  EXPECT_EQ(Control<QLabel>(d, "templateKindLabel")->text(), QStringLiteral("種別：ﾌﾚｰﾑｱｳﾄ"));
  ASSERT_EQ(Items(Parameters(d, 0)), (QStringList{"speed", "height"}));
  EXPECT_FALSE(Control<QLabel>(d, "parameterMarkLabels_0")->isHidden());
  EXPECT_TRUE(Control<QLabel>(d, "parameterMarkLabels_1")->isHidden());  // "fade" declares nothing
  EXPECT_FALSE(Control<QGroupBox>(d, "parameterGroups_1")->isEnabled());

  Parameters(d, 0)->setCurrentIndex(1);
  EXPECT_EQ(Value(d, 0)->text(), QStringLiteral("99"));  // stored under its name
  Parameters(d, 0)->setCurrentIndex(0);
  EXPECT_EQ(Value(d, 0)->text(), QStringLiteral("3"));
  EXPECT_EQ(Control<QLabel>(d, "parameterDescriptionLabels_0")->text(), QStringLiteral("how fast"));
  Value(d, 0)->setText(QStringLiteral("7.5"));

  d.ShowTemplateInfo(0);
  EXPECT_EQ(Control<QLabel>(d, "templateAuthorLabel")->text(), QStringLiteral("作者：someone"));

  Click(d, "okButton");
  EXPECT_EQ(d.result(), "@fly;30;2;1;fade;10;1;2;5;0:height=99;0:speed=7.5");

  // Another template starts from its own defaults; one not in the folders
  // is kept and shown as not found.
  TextEffectDialog other;
  other.SetParam("@fly;1;0;0;lost;1;0;0;0;0:height=99");
  Templates(other, 0)->setCurrentIndex(1);  // Drop
  Parameters(other, 0)->setCurrentIndex(0);
  EXPECT_EQ(Value(other, 0)->text(), QStringLiteral("5"));
  EXPECT_EQ(Templates(other, 1)->currentText(), QStringLiteral("lost（見つかりません）"));
  EXPECT_EQ(Items(Templates(other, 1)), (QStringList{"なし", "fade", "lost（見つかりません）"}));
}

// OK without a change gives back the string it was given, a template the
// folders do not hold and its values included; chosen away and back, the
// missing one still has them. Filled again, the dialog shows one entry.
TEST_F(TextEffectDialogTest, AMissingTemplateIsKeptThroughOk) {
  const std::string stored = "@gone;6;1;2;fade;3;0;1;2;0:size=2.5;0:a=1";
  TextEffectDialog d;
  d.SetParam(stored);
  EXPECT_EQ(Templates(d, 0)->currentText(), QStringLiteral("gone（見つかりません）"));
  EXPECT_TRUE(Parameters(d, 0)->isHidden()) << "nothing of it to edit";
  Templates(d, 0)->setCurrentIndex(1);
  Templates(d, 0)->setCurrentIndex(Templates(d, 0)->count() - 1);
  d.SetParam(stored);
  EXPECT_EQ(Items(Templates(d, 0)), (QStringList{"なし", "Drop", "fly", "gone（見つかりません）"}));
  Click(d, "okButton");
  EXPECT_EQ(d.result(), stored);
}

TEST_F(TextEffectDialogTest, CountsAreNeverNegativeAndSpinsStopAtZero) {
  TextEffectDialog d;
  d.SetParam("");
  EXPECT_EQ(Templates(d, 0)->currentText(), QStringLiteral("なし"));
  EXPECT_EQ(Frames(d, 3)->text(), QStringLiteral("0"));

  Control<QScrollBar>(d, "frameCountSpins_0")->setValue(1);  // the lower arrow on 0
  EXPECT_EQ(Frames(d, 0)->text(), QStringLiteral("0"));
  EXPECT_EQ(Control<QScrollBar>(d, "frameCountSpins_0")->value(), 0);
  Interval(d, 1)->setText(QStringLiteral("2.7"));
  Control<QScrollBar>(d, "intervalSpins_1")->setValue(-1);  // the upper arrow
  EXPECT_EQ(Interval(d, 1)->text(), QStringLiteral("3"));

  Frames(d, 0)->setText(QStringLiteral("-4"));
  Frames(d, 2)->setText(QStringLiteral("-2"));
  Interval(d, 0)->setText(QStringLiteral("-1"));
  EXPECT_EQ(Frames(d, 3)->text(), QStringLiteral("-6"));
  Click(d, "okButton");
  EXPECT_EQ(Frames(d, 0)->text(), QStringLiteral("0"));
  EXPECT_EQ(Frames(d, 2)->text(), QStringLiteral("0"));
  EXPECT_EQ(Interval(d, 0)->text(), QStringLiteral("0"));
  EXPECT_EQ(d.result(), "@なし;0;0;0;なし;0;3;0;0");

  // Cancel gives nothing back; the dialog opens at its owner's corner.
  QWidget owner;
  owner.move(30, 40);
  QPoint at;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    at = dialog.frameGeometry().topLeft();
    Click(static_cast<TextEffectDialog&>(dialog), "cancelButton");
    return dialog.result();
  });
  EXPECT_FALSE(TextEffectDialog::edit(&owner, StoreItem{}, "@fly;1;0;0;なし;0;0;0;0").has_value());
  EXPECT_EQ(at, owner.frameGeometry().topLeft());
}

TEST_F(TextEffectDialogTest, ThePreviewLeavesTheStoreAndTheSettingsAsTheyWere) {
  StoreItem stored = NewStoreItem(StoreItemKind::Text);
  stored.id = 3;
  stored.name = "before";
  stored.font = "DejaVu Sans";
  stored.size = 18;
  GUICore::State().store.push_back(stored);
  GUICore::State().settings.preloader = 1;

  TextEffectDialog d;
  StoreItem shown = stored;
  shown.name = "AB";
  d.SetPvJpeg(shown);
  d.SetParam("@fly;6;1;0;なし;3;0;0;-2");
  FakeFlashHosts hosts;
  QStringList calls;
  bool modal = false;
  std::string storedMeanwhile;
  int16_t preloaderMeanwhile = -1;
  QTimer::singleShot(0, [&] {
    gui::PreviewWindow* window = gui::PreviewWindow::instance();
    ASSERT_NE(window, nullptr);
    modal = window->isVisible() && window->windowModality() == Qt::ApplicationModal;
    calls = hosts.last()->calls;
    storedMeanwhile = GUICore::GetStoreItemByID(3).name;
    preloaderMeanwhile = GUICore::State().settings.preloader;
    window->close();
  });
  Click(d, "previewButton");
  EXPECT_TRUE(modal);
  const std::string movie = (GUICore::State().paths.scratch / "_texteffect.swf").string();
  EXPECT_TRUE(fs::exists(movie));
  EXPECT_TRUE(calls.contains(QStringLiteral("load ") + gui::ToQ(movie))) << calls.join(' ').toStdString();
  EXPECT_TRUE(calls.contains(QStringLiteral("play")));
  EXPECT_FALSE(gui::PreviewWindow::isLoaded());
  EXPECT_EQ(storedMeanwhile, "before");
  EXPECT_EQ(preloaderMeanwhile, 1);
  EXPECT_EQ(GUICore::GetStoreItemByID(3).name, "before");
  EXPECT_EQ(GUICore::State().settings.preloader, 1);
  EXPECT_EQ(Frames(d, 2)->text(), QStringLiteral("0"));  // read as 0 for the preview too
  EXPECT_EQ(d.result(), "");                            // a preview is no OK
}

// A preview that cannot be written says why, in one box, and shows
// nothing; without a folder for temporary files it says so, as F5 does,
// rather than naming a file it could not write.
TEST_F(TextEffectDialogTest, APreviewThatCannotBeWrittenSaysWhy) {
  const fs::path gone = temp.path() / "gone" / "folder";
  const std::string movie = (gone / "_texteffect.swf").string();
  for (const fs::path& scratch : {gone, AppPaths::kNoScratch}) {
    SCOPED_TRACE(scratch.string());
    ui.messages.clear();
    GUICore::State().paths.scratch = scratch;
    TextEffectDialog d;
    StoreItem shown = NewStoreItem(StoreItemKind::Text);
    shown.name = "AB";
    d.SetPvJpeg(shown);
    d.SetParam("@fly;6;1;0;なし;3;0;0;-2");
    FakeFlashHosts hosts;
    Click(d, "previewButton");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "エラー");
    if (scratch == AppPaths::kNoScratch) {
      EXPECT_EQ(ui.messages[0].text, AppPaths::kNoScratchText);
    } else {
      EXPECT_EQ(ui.messages[0].text.rfind("ファイル [" + movie + "] ", 0), 0u) << ui.messages[0].text;
      EXPECT_JAPANESE(ui.messages[0].text, {movie});
    }
    EXPECT_FALSE(gui::PreviewWindow::isLoaded());
  }
}

TEST_F(TextEffectDialogTest, TheMaterialDialogsButtonOpensIt) {
  start();
  std::string text = "old";
  int32_t row = 1, mode = 0;
  const int32_t id = GUICore::AddStoreItem(text, "txt", row, mode);
  GUICore::RefreshFileList();
  auto& list = FileListModule::Current();
  list.cursorRow = FileListModule::GetJpegListIndex(id);
  list.rows.at(list.cursorRow).selected = -1;

  std::string storedMeanwhile;
  QPoint storeCorner, effectCorner;
  QString settings;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    if (auto* effect = qobject_cast<TextEffectDialog*>(&dialog)) {
      effectCorner = effect->frameGeometry().topLeft();
      storedMeanwhile = GUICore::GetStoreItemByID(id).name;
      Templates(*effect, 0)->setCurrentIndex(Templates(*effect, 0)->findText(QStringLiteral("fly")));
      Frames(*effect, 0)->setText(QStringLiteral("12"));
      Click(*effect, "okButton");
      return dialog.result();
    }
    auto* store = qobject_cast<gui::StoreDialog*>(&dialog);
    EXPECT_NE(store, nullptr);
    if (!store) return int(QDialog::Rejected);
    storeCorner = store->frameGeometry().topLeft();
    Control<QPlainTextEdit>(store, "textEdit")->setPlainText(QStringLiteral("new"));
    EXPECT_TRUE(Control<QPushButton>(store, "textEffectButton")->isEnabled());
    Control<QPushButton>(store, "textEffectButton")->click();
    settings = Control<QLineEdit>(store, "textEffectSettingsBox")->text();
    return int(QDialog::Rejected);
  });
  gui::RunStoreProperty(window());
  EXPECT_EQ(storedMeanwhile, "new");
  EXPECT_EQ(effectCorner, storeCorner);
  EXPECT_EQ(settings, QStringLiteral("@fly;12;0;0;なし;0;0;0;0;0:height=10;0:speed=3"));
  EXPECT_EQ(GUICore::GetStoreItemByID(id).name, "old");
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

// Two texts edited at once show no ID: neither stored item is stood in for
// while the effect dialog is open, and both are as they were afterwards.
TEST_F(TextEffectDialogTest, SeveralTextsAtOnceAreNeverStoodIn) {
  start();
  std::string one = "one", two = "two";
  int32_t row = 1, mode = 0;
  const int32_t first = GUICore::AddStoreItem(one, "txt", row, mode);
  row = 2;
  const int32_t second = GUICore::AddStoreItem(two, "txt", row, mode);
  GUICore::RefreshFileList();
  auto& list = FileListModule::Current();
  list.cursorRow = FileListModule::GetJpegListIndex(first);
  list.rows.at(FileListModule::GetJpegListIndex(first)).selected = -1;
  list.rows.at(FileListModule::GetJpegListIndex(second)).selected = -1;

  bool effectOpened = false;
  std::array<std::string, 2> meanwhile;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    if (auto* effect = qobject_cast<TextEffectDialog*>(&dialog)) {
      effectOpened = true;
      meanwhile = {GUICore::GetStoreItemByID(first).name, GUICore::GetStoreItemByID(second).name};
      Click(*effect, "cancelButton");
      return dialog.result();
    }
    auto* store = qobject_cast<gui::StoreDialog*>(&dialog);
    if (!store) return int(QDialog::Rejected);
    EXPECT_TRUE(Control<QLineEdit>(store, "itemIdBox")->text().isEmpty());
    Control<QPlainTextEdit>(store, "textEdit")->setPlainText(QStringLiteral("typed"));
    Control<QPushButton>(store, "textEffectButton")->click();
    return int(QDialog::Rejected);
  });
  gui::RunStoreProperty(window());
  ASSERT_TRUE(effectOpened);
  EXPECT_EQ(meanwhile, (std::array<std::string, 2>{"one", "two"}));
  EXPECT_EQ(GUICore::GetStoreItemByID(first).name, "one");
  EXPECT_EQ(GUICore::GetStoreItemByID(second).name, "two");
}

}  // namespace
}  // namespace tesmiro::testing
