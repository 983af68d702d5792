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
#include "support/main_gui_fixture.h"
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
  static bool Shown(const QWidget* w, const QWidget* dialog) { return w->isVisibleTo(dialog); }
};

TEST_F(StoreDialogTest, EachKindShowsItsOwnFrameAndControls) {
  struct Case {
    const char* key;
    const char* frame;
    const char* kindName;
    bool path, check1, idShown;
  };
  const Case cases[] = {
      {"png", "Frame11", "画像", true, true, true},        {"wav", "Frame9", "サウンド", true, false, true},
      {"txt", "Frame2", "テキスト", false, false, true},    {"sprite", "Frame4", "スプライト", false, false, true},
      {"kvg", "Frame13", "ベクタ画像", true, false, true}, {"flv", "Frame10", "ビデオ", true, false, true},
      {"folder", "Frame12", "フォルダ", false, false, false},
  };
  const char* frames[] = {"Frame2", "Frame4", "Frame9", "Frame10", "Frame11", "Frame12", "Frame13"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Add(c.key, std::string("/m.") + c.key);
    StoreDialog d;
    Load(d);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ファイルのプロパティ"));
    EXPECT_EQ(d.Text3->text(), QString::fromUtf8(c.kindName));
    for (const char* name : frames) {
      auto* frame = d.findChild<QGroupBox*>(QString::fromLatin1(name));
      ASSERT_NE(frame, nullptr) << name;
      EXPECT_EQ(Shown(frame, &d), std::string(name) == c.frame) << name;
    }
    EXPECT_EQ(Shown(d.Text2, &d), c.path);
    EXPECT_EQ(Shown(d.Command6, &d), c.path);
    EXPECT_EQ(Shown(d.Check1, &d), c.check1);
    EXPECT_EQ(Shown(d.Text1, &d), c.idShown);
    EXPECT_EQ(Shown(d.Check14, &d), std::string(c.key) == "kvg");
    // Every material with a file can have it replaced.
    EXPECT_EQ(d.Command6->isEnabled(), c.path);
    // The kind frame sits above the buttons, inside the dialog.
    auto* frame = d.findChild<QGroupBox*>(QString::fromLatin1(c.frame));
    EXPECT_LT(frame->geometry().bottom(), d.Command1->y());
    EXPECT_LE(d.Command1->geometry().bottom(), d.height());
  }
}

TEST_F(StoreDialogTest, ImageSofteningAndColourBoxesFollowTheirRules) {
  const int32_t a = Add("png", "/a.png");
  Edit(a, [](StoreItem& r) { r.size = 0; });
  StoreDialog d;
  Load(d);
  d.show();
  EXPECT_EQ(d.Check1->value(), 0);
  EXPECT_FALSE(Shown(d.Frame1, &d));
  d.Check1->click();
  EXPECT_TRUE(Shown(d.Frame1, &d));
  EXPECT_FALSE(Shown(d.Frame3, &d));
  d.Check4->click();
  EXPECT_TRUE(Shown(d.Frame3, &d));
  EXPECT_EQ(d.Text7->text(), QStringLiteral("1"));
  d.Combo3->setCurrentIndex(1);
  EXPECT_EQ(d.Text7->text(), QStringLiteral("30"));
  EXPECT_EQ(d.Label15->text(), QStringLiteral("色の範囲"));
  d.Text7->setText(QStringLiteral("999"));
  EXPECT_EQ(d.Text7->text(), QStringLiteral("255"));

  d.Text21[0]->setText(QStringLiteral("300"));
  EXPECT_EQ(d.HScroll1[0]->value(), 0);
  d.Text21[0]->setText(QStringLiteral("200"));
  EXPECT_EQ(d.HScroll1[0]->value(), 200);
  d.HScroll1[1]->setValue(17);
  EXPECT_EQ(d.Text21[1]->text(), QStringLiteral("17"));
  // The swatch shows the key colour (probed away from its frame).
  const QImage swatch = d.Picture1->grab().toImage();
  EXPECT_EQ(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(200, 17, 0));

  // Fill, change one field, read back.
  d.Text20->setText(QStringLiteral("objName"));
  const SP::Fields back = d.read();
  EXPECT_EQ(back.check1, SP::kOn);
  EXPECT_EQ(back.check4, SP::kOn);
  EXPECT_EQ(back.combo3, 1);
  EXPECT_EQ(back.hscroll1[0], 200);
  EXPECT_EQ(back.text20, "objName");
  EXPECT_EQ(back.text2, "/a.png");
}

TEST_F(StoreDialogTest, KeyColourComesFromThePictureOrStaysWhenItCannotBeRead) {
  Add("bmp", "/a.bmp");
  StoreDialog d;
  Load(d);
  d.HScroll1[0]->setValue(1);
  d.HScroll1[1]->setValue(2);
  d.HScroll1[2]->setValue(3);
  std::ofstream(temp / "broken.bmp") << "BM but nothing else";
  d.Text2->setText(ToQ((temp / "broken.bmp").string()));
  d.Command3->click();
  EXPECT_EQ(d.HScroll1[0]->value(), 1);
  EXPECT_EQ(d.HScroll1[2]->value(), 3);

  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(QColor(40, 50, 60));
  ASSERT_TRUE(picture.save(ToQ((temp / "key.png").string()), "PNG"));
  d.Text2->setText(ToQ((temp / "key.png").string()));
  d.Command3->click();
  EXPECT_EQ(d.HScroll1[0]->value(), 40);
  EXPECT_EQ(d.HScroll1[1]->value(), 50);
  EXPECT_EQ(d.HScroll1[2]->value(), 60);
}

TEST_F(StoreDialogTest, BrowseOffersTheKindsFilesAndKeepsThePathWhenCancelled) {
  Add("wav", "/s.wav");
  GUICore::State().settings.options = "  4 ";
  StoreDialog d;
  Load(d);
  desktop.fileDialogs.answer("/new.mld");
  desktop.fileDialogs.cancel();
  d.Command6->click();
  d.Command6->click();
  ASSERT_EQ(desktop.fileDialogs.calls.size(), 2u);
  ASSERT_EQ(desktop.fileDialogs.calls[0].filters.size(), 1u);
  EXPECT_EQ(desktop.fileDialogs.calls[0].filters[0].patterns.size(), 5u);  // the phone formats in SWF 4
  EXPECT_EQ(d.Text2->text(), QStringLiteral("/new.mld"));
}

TEST_F(StoreDialogTest, TextFrameFollowsTheFontAndTheEffectSummary) {
  const int32_t t = Add("txt");
  Edit(t, [](StoreItem& r) { r.name = "a\r\nb"; r.font = "_sans"; });
  StoreDialog d;
  Load(d, {"IPAGothic"});
  EXPECT_EQ(d.Text4->toPlainText(), QStringLiteral("a\nb"));
  // A device font: an edit field without the dynamic-text and effect boxes.
  EXPECT_FALSE(Shown(d.Check16, &d));
  EXPECT_FALSE(Shown(d.Check18, &d));
  EXPECT_TRUE(Shown(d.Frame7, &d));
  EXPECT_TRUE(Shown(d.Check5, &d));
  EXPECT_EQ(d.Check5->value(), 1);
  EXPECT_FALSE(Shown(d.Text14, &d));
  // An embedded font: a static text with its effect box, no typed size.
  d.Combo2->setCurrentIndex(d.Combo2->findText(QStringLiteral("IPAGothic")));
  EXPECT_TRUE(Shown(d.Check16, &d));
  EXPECT_TRUE(Shown(d.Check18, &d));
  EXPECT_EQ(d.Check18->value(), 0);
  EXPECT_FALSE(Shown(d.Frame7, &d));
  EXPECT_FALSE(Shown(d.Check5, &d));
  EXPECT_EQ(d.Check5->value(), 2);
  EXPECT_FALSE(Shown(d.Frame14, &d));
  d.Check18->click();
  EXPECT_TRUE(Shown(d.Frame14, &d));
  EXPECT_FALSE(Shown(d.Check16, &d));
  EXPECT_EQ(d.Label30->text(), QStringLiteral("設定なし"));
  // Dynamic text makes it an edit field again.
  d.Check18->click();
  d.Check16->click();
  EXPECT_TRUE(Shown(d.Frame7, &d));
  EXPECT_FALSE(Shown(d.Check18, &d));
  // Lines come back with the line breaks a text material keeps.
  d.Text4->setPlainText(QStringLiteral("x\ny"));
  EXPECT_EQ(d.read().text4, "x\r\ny");
}

TEST_F(StoreDialogTest, OkRefusesNumbersThatDoNotFitAndNamesTheBox) {
  Add("sprite");
  StoreDialog d;
  Load(d);
  d.show();
  d.Text9->setText(QStringLiteral("99999999999"));
  d.Command1->click();
  EXPECT_FALSE(d.ok());
  EXPECT_TRUE(d.isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("幅"), std::string::npos);
  d.Text9->setText(QStringLiteral("640"));
  d.Command4->click();
  EXPECT_EQ(d.Text12->text(), QStringLiteral("320"));
  d.Command1->click();
  EXPECT_TRUE(d.ok());
  EXPECT_FALSE(d.isVisible());
}

TEST_F(StoreDialogTest, CancelledColourPickLeavesTheSlidersAndOkSetsThem) {
  Add("txt");
  StoreDialog d;
  Load(d);
  d.show();
  d.HScroll1[3]->setValue(5);
  bool accept = false;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    auto& picker = static_cast<gui::ColorDialog&>(dialog);
    EXPECT_EQ(picker.Text1[0]->text(), QStringLiteral("5"));
    EXPECT_TRUE(picker.HScroll1[3]->isHidden());
    picker.Text2->setText(QStringLiteral("#102030"));
    (accept ? picker.Command1 : picker.Command2)->click();
    return dialog.result();
  });
  QTest::mouseClick(d.Picture2, Qt::LeftButton);
  EXPECT_EQ(d.HScroll1[3]->value(), 5);
  EXPECT_EQ(d.HScroll1[4]->value(), 0);
  accept = true;
  QTest::mouseClick(d.Picture2, Qt::LeftButton);
  EXPECT_EQ(d.HScroll1[3]->value(), 0x10);
  EXPECT_EQ(d.HScroll1[5]->value(), 0x30);
  EXPECT_EQ(d.Text21[4]->text(), QStringLiteral("32"));
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
    EXPECT_FALSE(d.Command9->isEnabled());
  }
  RecordingEffects effects;
  gui::ScopedTextEffectEditor installed(&effects);
  StoreDialog d;
  Load(d, {"IPAGothic"});
  ASSERT_TRUE(d.Command9->isEnabled());
  d.Text4->setPlainText(QStringLiteral("new"));
  d.Check2->click();
  effects.answer = "";
  d.Command9->click();
  EXPECT_EQ(d.Text23->text(), QString());  // an empty answer changes nothing
  GUICore::TextEffectSettings settings;
  settings.inFrames = 3;
  effects.answer = GUICore::BuildTextEffectOption(settings);
  d.Command9->click();
  ASSERT_EQ(effects.items.size(), 2u);
  EXPECT_EQ(effects.items[1].name, "new");
  EXPECT_EQ(effects.items[1].flags, 0x2001);
  EXPECT_EQ(effects.items[1].font, "IPAGothic");
  EXPECT_EQ(effects.stored[1].name, "new");  // the store held the dialog's text meanwhile
  EXPECT_EQ(GUICore::GetStoreItemByID(t).name, "old");  // and has its own back
  EXPECT_EQ(FromQ(d.Text23->text()), *effects.answer);
  EXPECT_NE(d.Label30->text().indexOf(QStringLiteral("合計: 3")), -1);
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
    opened.push_back(d.windowTitle() + " " + d.Text3->text() + (Shown(d.Frame2, &d) ? " Frame2" : ""));
    d.Text4->setPlainText(QStringLiteral("Hello\nTesmiro"));
    d.Combo2->setCurrentIndex(d.Combo2->findText(QStringLiteral("IPAGothic")));
    d.Text5->setText(QStringLiteral("20"));
    (ok ? d.Command1 : d.Command2)->click();
    return dialog.result();
  });
  GUICore::ClearStoreUndo();
  w.PictFileList->setFocus();
  QTest::keyClick(w.PictFileList, Qt::Key_T, Qt::ControlModifier);
  ASSERT_EQ(opened, std::vector<QString>{QStringLiteral("ファイルのプロパティ テキスト Frame2")});
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
  w.mnuStoreProperty->trigger();
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

}  // namespace
}  // namespace tesmiro::testing
