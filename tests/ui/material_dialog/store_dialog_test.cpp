// The material property dialog: each kind shows its own controls, the
// dialog's own handlers, the refusal of numbers that do not fit, the colour
// picker and the text-effect editor from the dialog, and the command that
// fills, places, shows and reads it back.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <fstream>

#include "compiler/text_effects.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/store.h"
#include "project/store_property_exchange.h"
#include "project/store_undo.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/user_text.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/store_dialog.h"
#include "ui/dialogs/text_effect_editor.h"
#include "ui/main/main_gui.h"
#include "ui/main/material_property.h"
#include "ui/main/store_property_command.h"

namespace tesmiro::testing {
namespace {

namespace SP = StoreProperty;
using gui::FromQ;
using gui::StoreDialog;
using gui::ToQ;

class StoreDialogTest : public MainGuiTest {
 protected:
  // Adds an item at the end and makes it the only selected, cursor row.
  static int32_t Add(const std::string& key, std::string name = "") {
    const int32_t id = AddMaterialAtEnd(key, std::move(name));
    SelectOnlyItem(id);
    return id;
  }
  static void Edit(int32_t id, const std::function<void(StoreItem&)>& change) {
    StoreItem r = GUICore::GetStoreItemByID(id);
    change(r);
    GUICore::SetStoreItem(id, r);
  }
  // A dialog loaded as the command loads it for the selection.
  static void Load(StoreDialog& d, std::vector<std::string> fonts = {}) {
    SP::Fields f;
    ASSERT_TRUE(SP::FillFields(f, fonts));
    d.load(f);
  }
  // Whether the dialog's control of that name shows when the dialog does.
  static bool Shown(const StoreDialog& d, const char* name) { return Control<QWidget>(d, name)->isVisibleTo(&d); }
};

TEST_F(StoreDialogTest, EachKindShowsItsOwnFrameAndControls) {
  struct Case {
    const char* key;
    const char* frame;
    const char* kindName;
    bool path, keyColourShown, idShown;
  };
  const Case cases[] = {
      {"png", "imageGroup", "画像", true, true, true},
      {"wav", "soundGroup", "サウンド", true, false, true},
      {"txt", "textGroup", "テキスト", false, false, true},
      {"sprite", "spriteGroup", "スプライト", false, false, true},
      {"kvg", "vectorGroup", "ベクタ画像", true, false, true},
      {"flv", "videoGroup", "ビデオ", true, false, true},
      {"folder", "folderGroup", "フォルダ", false, false, false},
  };
  const char* frames[] = {"textGroup",  "spriteGroup", "soundGroup", "videoGroup",
                          "imageGroup", "folderGroup", "vectorGroup"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Add(c.key, std::string("/m.") + c.key);
    StoreDialog d;
    Load(d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ファイルのプロパティ"));
    EXPECT_EQ(Control<QLineEdit>(d, "kindBox")->text(), QString::fromUtf8(c.kindName));
    for (const char* name : frames) {
      auto* frame = d.findChild<QGroupBox*>(QString::fromLatin1(name));
      ASSERT_NE(frame, nullptr) << name;
      EXPECT_EQ(frame->isVisibleTo(&d), std::string(name) == c.frame) << name;
    }
    EXPECT_EQ(Shown(d, "pathBox"), c.path);
    EXPECT_EQ(Shown(d, "browseButton"), c.path);
    EXPECT_EQ(Shown(d, "keyColourCheck"), c.keyColourShown);
    EXPECT_EQ(Shown(d, "itemIdBox"), c.idShown);
    EXPECT_EQ(Shown(d, "morphCheck"), std::string(c.key) == "kvg");
    // Every material with a file can have it replaced.
    EXPECT_EQ(Control<QPushButton>(d, "browseButton")->isEnabled(), c.path);
    // The kind frame sits above the buttons, inside the dialog.
    auto* frame = d.findChild<QGroupBox*>(QString::fromLatin1(c.frame));
    auto* ok = Control<QPushButton>(d, "okButton");
    EXPECT_LT(frame->geometry().bottom(), ok->y());
    EXPECT_LE(ok->geometry().bottom(), d.height());
  }
}

TEST_F(StoreDialogTest, ImageSofteningAndColourBoxesFollowTheirRules) {
  const int32_t a = Add("png", "/a.png");
  Edit(a, [](StoreItem& r) { r.size = 0; });
  StoreDialog d;
  Load(d);
  d.show();
  auto* keyColour = Control<gui::GreyCheckBox>(d, "keyColourCheck");
  auto* amount = Control<QLineEdit>(d, "softeningAmountBox");
  EXPECT_EQ(keyColour->value(), 0);
  EXPECT_FALSE(Shown(d, "keyColourPanel"));
  keyColour->click();
  EXPECT_TRUE(Shown(d, "keyColourPanel"));
  EXPECT_FALSE(Shown(d, "softeningPanel"));
  Control<gui::GreyCheckBox>(d, "softenEdgesCheck")->click();
  EXPECT_TRUE(Shown(d, "softeningPanel"));
  EXPECT_EQ(amount->text(), QStringLiteral("1"));
  Control<QComboBox>(d, "softeningModeList")->setCurrentIndex(1);
  EXPECT_EQ(amount->text(), QStringLiteral("30"));
  EXPECT_EQ(Control<QLabel>(d, "softeningAmountLabel")->text(), QStringLiteral("色の範囲"));
  amount->setText(QStringLiteral("999"));
  EXPECT_EQ(amount->text(), QStringLiteral("255"));

  auto* redBox = Control<QLineEdit>(d, "colourBoxes_0");
  auto* redSlider = Control<QScrollBar>(d, "colourSliders_0");
  redBox->setText(QStringLiteral("300"));
  EXPECT_EQ(redSlider->value(), 0);
  redBox->setText(QStringLiteral("200"));
  EXPECT_EQ(redSlider->value(), 200);
  Control<QScrollBar>(d, "colourSliders_1")->setValue(17);
  EXPECT_EQ(Control<QLineEdit>(d, "colourBoxes_1")->text(), QStringLiteral("17"));
  // The swatch shows the key colour (probed away from its frame).
  const QImage swatch = Control<QLabel>(d, "keyColourSwatch")->grab().toImage();
  EXPECT_EQ(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(200, 17, 0));

  // Fill, change one field, read back.
  Control<QLineEdit>(d, "imageNameBox")->setText(QStringLiteral("objName"));
  const SP::Fields back = d.read();
  EXPECT_EQ(back.keyColour, SP::kOn);
  EXPECT_EQ(back.softenEdges, SP::kOn);
  EXPECT_EQ(back.softeningModeIndex, 1);
  EXPECT_EQ(back.colourSliders[SP::KeyRed], 200);
  EXPECT_EQ(back.imageName, "objName");
  EXPECT_EQ(back.path, "/a.png");
}

TEST_F(StoreDialogTest, KeyColourComesFromThePictureOrStaysWhenItCannotBeRead) {
  Add("bmp", "/a.bmp");
  StoreDialog d;
  Load(d);
  auto* red = Control<QScrollBar>(d, "colourSliders_0");
  auto* green = Control<QScrollBar>(d, "colourSliders_1");
  auto* blue = Control<QScrollBar>(d, "colourSliders_2");
  auto* path = Control<QLineEdit>(d, "pathBox");
  auto* topLeft = Control<QPushButton>(d, "topLeftColourButton");
  red->setValue(1);
  green->setValue(2);
  blue->setValue(3);
  std::ofstream(temp / "broken.bmp") << "BM but nothing else";
  // Each says why: the file broken, then gone.
  const std::string broken = (temp / "broken.bmp").string(), gone = (temp / "gone.png").string();
  for (const std::string& file : {broken, gone}) {
    ui.messages.clear();
    path->setText(ToQ(file));
    topLeft->click();
    EXPECT_EQ(red->value(), 1);
    EXPECT_EQ(blue->value(), 3);
    ASSERT_EQ(ui.messages.size(), 1u) << file;
    EXPECT_EQ(ui.messages[0].title, "エラー");
    EXPECT_EQ(ui.messages[0].text.rfind("左上のドットの色を取得できませんでした。\r\nファイル [" + file + "] ", 0), 0u)
        << ui.messages[0].text;
    EXPECT_JAPANESE(ui.messages[0].text, {file});
  }
  ui.messages.clear();

  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(QColor(40, 50, 60));
  ASSERT_TRUE(picture.save(ToQ((temp / "key.png").string()), "PNG"));
  path->setText(ToQ((temp / "key.png").string()));
  topLeft->click();
  EXPECT_EQ(red->value(), 40);
  EXPECT_EQ(green->value(), 50);
  EXPECT_EQ(blue->value(), 60);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(StoreDialogTest, BrowseOffersTheKindsFilesAndKeepsThePathWhenCancelled) {
  Add("wav", "/s.wav");
  GUICore::State().settings.options = "  4 ";
  StoreDialog d;
  Load(d);
  desktop.fileDialogs.answer("/new.mld");
  desktop.fileDialogs.cancel();
  auto* browse = Control<QPushButton>(d, "browseButton");
  browse->click();
  browse->click();
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 2u);
  ASSERT_EQ(desktop.fileDialogs.calls[0].filters.size(), 1u);
  EXPECT_EQ(desktop.fileDialogs.calls[0].filters[0].patterns.size(), 5u);  // the phone formats in SWF 4
  EXPECT_EQ(Control<QLineEdit>(d, "pathBox")->text(), QStringLiteral("/new.mld"));
}

TEST_F(StoreDialogTest, TextFrameFollowsTheFontAndTheEffectSummary) {
  const int32_t t = Add("txt");
  Edit(t, [](StoreItem& r) { r.name = "a\r\nb"; r.font = "_sans"; });
  StoreDialog d;
  Load(d, {"IPAGothic"});
  EXPECT_EQ(Control<QPlainTextEdit>(d, "textEdit")->toPlainText(), QStringLiteral("a\nb"));
  // A device font: an edit field without the dynamic-text and effect boxes.
  EXPECT_FALSE(Shown(d, "dynamicTextCheck"));
  EXPECT_FALSE(Shown(d, "textEffectCheck"));
  EXPECT_TRUE(Shown(d, "inputOptionsPanel"));
  EXPECT_TRUE(Shown(d, "autoSizeCheck"));
  EXPECT_EQ(Control<gui::GreyCheckBox>(d, "autoSizeCheck")->value(), 1);
  EXPECT_FALSE(Shown(d, "boxWidthBox"));
  // An embedded font: a static text with its effect box, no typed size.
  auto* fonts = Control<QComboBox>(d, "fontList");
  auto* textEffect = Control<gui::GreyCheckBox>(d, "textEffectCheck");
  fonts->setCurrentIndex(fonts->findText(QStringLiteral("IPAGothic")));
  EXPECT_TRUE(Shown(d, "dynamicTextCheck"));
  EXPECT_TRUE(Shown(d, "textEffectCheck"));
  EXPECT_EQ(textEffect->value(), 0);
  EXPECT_FALSE(Shown(d, "inputOptionsPanel"));
  EXPECT_FALSE(Shown(d, "autoSizeCheck"));
  EXPECT_EQ(Control<gui::GreyCheckBox>(d, "autoSizeCheck")->value(), 2);
  EXPECT_FALSE(Shown(d, "textEffectPanel"));
  textEffect->click();
  EXPECT_TRUE(Shown(d, "textEffectPanel"));
  EXPECT_FALSE(Shown(d, "dynamicTextCheck"));
  EXPECT_EQ(Control<QLabel>(d, "textEffectSummaryLabel")->text(), QStringLiteral("設定なし"));
  // Dynamic text makes it an edit field again.
  textEffect->click();
  Control<gui::GreyCheckBox>(d, "dynamicTextCheck")->click();
  EXPECT_TRUE(Shown(d, "inputOptionsPanel"));
  EXPECT_FALSE(Shown(d, "textEffectCheck"));
  // Lines come back with the line breaks a text material keeps.
  Control<QPlainTextEdit>(d, "textEdit")->setPlainText(QStringLiteral("x\ny"));
  EXPECT_EQ(d.read().text, "x\r\ny");
}

TEST_F(StoreDialogTest, OkRefusesNumbersThatDoNotFitAndNamesTheBox) {
  Add("sprite");
  StoreDialog d;
  Load(d);
  d.show();
  auto* width = Control<QLineEdit>(d, "spriteWidthBox");
  auto* ok = Control<QPushButton>(d, "okButton");
  width->setText(QStringLiteral("99999999999"));
  ok->click();
  EXPECT_FALSE(d.ok());
  EXPECT_TRUE(d.isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("幅"), std::string::npos);
  width->setText(QStringLiteral("640"));
  Control<QPushButton>(d, "spriteCentreButton")->click();
  EXPECT_EQ(Control<QLineEdit>(d, "referenceXBox")->text(), QStringLiteral("320"));
  ok->click();
  EXPECT_TRUE(d.ok());
  EXPECT_FALSE(d.isVisible());
}

TEST_F(StoreDialogTest, CancelledColourPickLeavesTheSlidersAndOkSetsThem) {
  Add("txt");
  StoreDialog d;
  Load(d);
  d.show();
  auto* textRed = Control<QScrollBar>(d, "colourSliders_3");
  auto* swatch = Control<QLabel>(d, "textColourSwatch");
  textRed->setValue(5);
  bool accept = false;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    EXPECT_NE(qobject_cast<gui::ColorDialog*>(&dialog), nullptr);
    EXPECT_EQ(Control<QLineEdit>(dialog, "channelBoxes_0")->text(), QStringLiteral("5"));
    EXPECT_TRUE(Control<QScrollBar>(dialog, "channelSliders_3")->isHidden());
    Control<QLineEdit>(dialog, "hexBox")->setText(QStringLiteral("#102030"));
    Control<QPushButton>(dialog, accept ? "okButton" : "cancelButton")->click();
    return dialog.result();
  });
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(textRed->value(), 5);
  EXPECT_EQ(Control<QScrollBar>(d, "colourSliders_4")->value(), 0);
  accept = true;
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(textRed->value(), 0x10);
  EXPECT_EQ(Control<QScrollBar>(d, "colourSliders_5")->value(), 0x30);
  EXPECT_EQ(Control<QLineEdit>(d, "colourBoxes_4")->text(), QStringLiteral("32"));
}

class RecordingEffects final : public gui::TextEffectEditor {
 public:
  std::optional<std::string> edit(QWidget*, const StoreItem& item, const std::string& settings) override {
    items.push_back(item);
    stored.push_back(GUICore::GetStoreItemByID(item.id));
    given.push_back(settings);
    return answer;
  }
  std::vector<StoreItem> items, stored;
  std::vector<std::string> given;
  std::optional<std::string> answer;
};

TEST_F(StoreDialogTest, TextEffectButtonWaitsForTheEditorAndRestoresTheStore) {
  const int32_t t = Add("txt");
  Edit(t, [](StoreItem& r) { r.name = "old"; r.font = "IPAGothic"; r.flags = 0x2000; });
  {
    StoreDialog d;
    Load(d, {"IPAGothic"});
    EXPECT_FALSE(Control<QPushButton>(d, "textEffectButton")->isEnabled());
  }
  RecordingEffects effects;
  gui::ScopedTextEffectEditor installed(&effects);
  StoreDialog d;
  Load(d, {"IPAGothic"});
  auto* effectButton = Control<QPushButton>(d, "textEffectButton");
  auto* settingsBox = Control<QLineEdit>(d, "textEffectSettingsBox");
  ASSERT_TRUE(effectButton->isEnabled());
  Control<QPlainTextEdit>(d, "textEdit")->setPlainText(QStringLiteral("new"));
  Control<gui::GreyCheckBox>(d, "boldCheck")->click();
  effects.answer = "";
  effectButton->click();
  EXPECT_EQ(settingsBox->text(), QString());  // an empty answer changes nothing
  GUICore::TextEffectSettings settings;
  settings.inFrames = 3;
  effects.answer = GUICore::BuildTextEffectOption(settings);
  effectButton->click();
  ASSERT_EQ(effects.items.size(), 2u);
  EXPECT_EQ(effects.items[1].name, "new");
  EXPECT_EQ(effects.items[1].flags, 0x2001);
  EXPECT_EQ(effects.items[1].font, "IPAGothic");
  EXPECT_EQ(effects.stored[1].name, "new");  // the store held the dialog's text meanwhile
  EXPECT_EQ(GUICore::GetStoreItemByID(t).name, "old");  // and has its own back
  EXPECT_EQ(FromQ(settingsBox->text()), *effects.answer);
  EXPECT_NE(Control<QLabel>(d, "textEffectSummaryLabel")->text().indexOf(QStringLiteral("合計: 3")), -1);
}

TEST_F(StoreDialogTest, CommandPlacesTheDialogFullyInsideTheWorkArea) {
  start();
  Add("png", "/a.png");
  QRect placed;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    placed = dialog.frameGeometry();
    return int(QDialog::Rejected);
  });
  auto& prefs = Prefs::Current();
  // At the mouse pointer.
  prefs.posFilelistWindow = 0;
  desktop.placement.cursor = QPoint(100, 120);
  EXPECT_FALSE(gui::RunStoreProperty(window()));
  EXPECT_EQ(placed.topLeft(), QPoint(100, 120));
  // Remembered on a screen that is gone, or past the right and bottom edges.
  prefs.posFilelistWindow = 1;
  for (auto [left, top] : {std::pair{-90000, -60000}, std::pair{200000, 150000}}) {
    prefs.fwLeft = left;
    prefs.fwTop = top;
    gui::RunStoreProperty(window());
    EXPECT_TRUE(desktop.placement.area.contains(placed)) << left;
  }
  // A work area smaller than the dialog: it shrinks into it.
  desktop.placement.area = QRect(10, 20, 300, 150);
  prefs.fwLeft = prefs.fwTop = 0;
  gui::RunStoreProperty(window());
  EXPECT_TRUE(desktop.placement.area.contains(placed));
}

TEST_F(StoreDialogTest, EscapeCancelsAndTheDialogRemembersWhereItWas) {
  Add("wav", "/s.wav");
  StoreDialog d;
  Load(d);
  d.move(150, 90);
  d.show();
  QApplication::setActiveWindow(&d);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(d.ok());
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(Prefs::Current().fwLeft, d.frameGeometry().x() * 15);
  EXPECT_EQ(Prefs::Current().fwTop, d.frameGeometry().y() * 15);
}

TEST_F(StoreDialogTest, CtrlTOpensTheTextDialogAndOkNamesTheItemWithItsMeasuredBox) {
  gui::MainGUI& w = start();
  QApplication::setActiveWindow(&w);
  Settle();
  gui::ScopedMaterialProperties installed(gui::StoreDialogProperties());
  const int32_t before = Add("png", "/a.png");
  std::vector<QString> opened;
  bool ok = true;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    auto& d = static_cast<StoreDialog&>(dialog);
    opened.push_back(d.windowTitle() + " " + Control<QLineEdit>(d, "kindBox")->text() +
                     (Shown(d, "textGroup") ? " textGroup" : ""));
    Control<QPlainTextEdit>(d, "textEdit")->setPlainText(QStringLiteral("Hello\nTesmiro"));
    auto* fonts = Control<QComboBox>(d, "fontList");
    fonts->setCurrentIndex(fonts->findText(QStringLiteral("IPAGothic")));
    Control<QLineEdit>(d, "fontSizeBox")->setText(QStringLiteral("20"));
    Control<QPushButton>(d, ok ? "okButton" : "cancelButton")->click();
    return dialog.result();
  });
  GUICore::ClearStoreUndo();
  Control<QWidget>(w, "PictFileList")->setFocus();
  QTest::keyClick(Control<QWidget>(w, "PictFileList"), Qt::Key_T, Qt::ControlModifier);
  ASSERT_EQ(opened, std::vector<QString>{QStringLiteral("ファイルのプロパティ テキスト textGroup")});
  const auto& list = FileListModule::Current();
  const StoreItem item = GUICore::GetStoreItemByID(list.rows.at(list.cursorRow).id);
  EXPECT_EQ(item.kind, StoreItemKind::Text);
  EXPECT_EQ(item.name, "Hello\r\nTesmiro");
  EXPECT_EQ(item.font, "IPAGothic");
  // Two lines of 20-point text: a box about two lines high and wider than
  // the longer word's letters at half the size.
  EXPECT_GT(item.width, 7 * 10);
  EXPECT_GT(item.height, 2 * 20);
  EXPECT_LT(item.height, 2 * 20 * 3);
  GUICore::StoreUndo();  // adding and naming are one step
  EXPECT_EQ(GUICore::StoreItemCount(), 1);

  // The property command on the image: Cancel changes nothing, no step.
  SelectOnlyItem(before);
  ok = false;
  GUICore::ClearStoreUndo();
  Control<QAction>(w, "itemPropertiesAction")->trigger();
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

}  // namespace
}  // namespace tesmiro::testing
