// Texts the user reads that the program does not write itself: Qt's own
// (buttons, the file dialog with its folder types, sizes and dates and the
// names typed into it, the text boxes' menu), in Japanese whatever the
// machine's locale while numbers stay as they were, and the help page that
// Help > ヘルプ (F1) opens.
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/numeric.h"
#include "support/main_gui_fixture.h"
#include "ui/common/qt_text.h"
#include "ui/common/qt_translations.h"
#include "ui/common/services.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;

struct SeenDialog {
  QString lookIn, fileName, accept, cancel;
};

// Reads the texts of the file dialog once it is up, then cancels it.
void CancelFileDialogWhenShown(SeenDialog& seen) {
  QTimer::singleShot(0, [&seen] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!d) return CancelFileDialogWhenShown(seen);
    seen.lookIn = d->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
    seen.fileName = d->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text();
    auto* box = d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    seen.accept = box->button(QDialogButtonBox::Save)->text();
    seen.cancel = box->button(QDialogButtonBox::Cancel)->text();
    d->reject();
  });
}

TEST(QtJapaneseTextsTest, QtsOwnTextsAreJapanese) {
  const gui::QtJapaneseTexts texts;
  ASSERT_TRUE(texts.loaded()) << "Qt's translations are not installed";

  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));

  QLineEdit box;
  const std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
  QStringList items;
  for (const QAction* a : menu->actions()) items << a->text().section('\t', 0, 0);
  EXPECT_TRUE(items.contains(QStringLiteral("コピー(&C)"))) << items.join('|').toStdString();
  EXPECT_TRUE(items.contains(QStringLiteral("貼り付け(&P)"))) << items.join('|').toStdString();

  // The program's own save dialog, as Make SWF shows it.
  TempDir temp;
  SeenDialog seen;
  CancelFileDialogWhenShown(seen);
  EXPECT_FALSE(gui::QtDesktopServices().fileDialogs->saveFile(
      "SWFファイルの生成", {{"Shockwave Flash オブジェクト (*.swf)", {"*.swf"}}}, temp.path().string(), ""));
  EXPECT_EQ(seen.lookIn, QStringLiteral("アドレス:"));
  EXPECT_EQ(seen.fileName, QStringLiteral("ファイル名(&N):"));
  EXPECT_EQ(seen.accept, QStringLiteral("保存(&S)"));
  EXPECT_EQ(seen.cancel, QStringLiteral("キャンセル"));
}

struct SeenFiles {
  QString folderType, fileSize, fileDate;
  bool listed = false;        // the folder's two entries came
  bool openRefused = false;   // Open left the dialog up
};

// Presses Open once the dialog lets it be pressed: the dialog checks the
// chosen name against its file model, which fills on a thread of its own.
void OpenWhenItCan(QFileDialog* d, SeenFiles& seen, int triesLeft = 3000) {
  QPushButton* open = d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Open);
  if (!open->isEnabled() && triesLeft > 0) {
    QTimer::singleShot(10, d, [d, &seen, triesLeft] { OpenWhenItCan(d, seen, triesLeft - 1); });
    return;
  }
  open->click();
  if (d->isVisible()) {
    seen.openRefused = true;
    d->reject();
  }
}

// Reads the detail list of the open-file dialog once it lists the folder's
// two entries, then types the name, key by key as the user does, and opens
// it. A dialog that does not list them in time, or stays up after Open, is
// cancelled, so that the test fails instead of waiting for good.
void ReadFileListWhenListed(SeenFiles& seen, const QString& typed, int triesLeft = 3000) {
  QTimer::singleShot(10, [&seen, typed, triesLeft] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!d) return ReadFileListWhenListed(seen, typed, triesLeft);
    const auto* view = d->findChild<QTreeView*>(QStringLiteral("treeView"));
    const QAbstractItemModel* model = view ? view->model() : nullptr;
    if (!model || model->rowCount(view->rootIndex()) < 2) {
      if (triesLeft > 0) return ReadFileListWhenListed(seen, typed, triesLeft - 1);
      d->reject();
      return;
    }
    seen.listed = true;
    for (int row = 0; row < 2; ++row) {
      auto cell = [&](int column) { return model->index(row, column, view->rootIndex()).data().toString(); };
      if (cell(0) == QStringLiteral("素材")) {
        seen.folderType = cell(2);
      } else {
        seen.fileSize = cell(1);
        seen.fileDate = cell(3);
      }
    }
    // Typed, as selectFile() leaves a name box that has the focus alone.
    auto* nameBox = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    nameBox->setFocus();
    QTest::keyClicks(nameBox, typed);
    OpenWhenItCan(d, seen);
  });
}

// Qt's file model names folders with a text its catalogue lacks and writes
// sizes and dates in the system's locale, which is C where none is set.
TEST(QtJapaneseTextsTest, TheFileDialogListsFolderTypesSizesAndDatesInJapanese) {
  const gui::QtJapaneseTexts texts;
  ASSERT_TRUE(texts.loaded()) << "Qt's translations are not installed";
  TempDir temp;
  fs::create_directory(temp / "素材");
  const QString file = gui::ToQ((temp / "a.swf").string());
  std::ofstream(temp / "a.swf") << "FWS\x08\x1a";
  const QDateTime modified(QDate(2024, 3, 5), QTime(9, 7));
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(modified, QFileDevice::FileModificationTime));
  }
  SeenFiles seen;
  ReadFileListWhenListed(seen, QStringLiteral("a.swf"));
  const auto chosen = gui::QtDesktopServices().fileDialogs->openFile(
      "開く", {{"Shockwave Flash オブジェクト (*.swf)", {"*.swf"}}}, temp.path().string(), "", false);
  ASSERT_TRUE(seen.listed) << "the dialog never listed the folder";
  EXPECT_FALSE(seen.openRefused) << "Open did not take the chosen file";
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  EXPECT_EQ(seen.folderType.toStdString(), "フォルダ");
  EXPECT_EQ(seen.fileSize, japanese.formattedDataSize(5)) << seen.fileSize.toStdString();
  EXPECT_EQ(seen.fileDate, japanese.toString(modified, QLocale::ShortFormat)) << seen.fileDate.toStdString();
  const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
  EXPECT_FALSE(seen.fileSize.contains(latin)) << seen.fileSize.toStdString();
  EXPECT_FALSE(seen.fileDate.contains(latin)) << seen.fileDate.toStdString();
  // The dialog still hands back what was chosen in it.
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, std::vector<std::string>{gui::FromQ(file)});
}

// Several names typed into the name box of the add-file dialog, quoted as
// Qt's dialog takes them, all come back, as a selection of several does.
TEST(QtJapaneseTextsTest, SeveralNamesTypedIntoTheNameBoxAreAllChosen) {
  const gui::QtJapaneseTexts texts;
  TempDir temp;
  std::ofstream(temp / "a.txt") << "a";
  std::ofstream(temp / "b.kvg") << "KVG";
  SeenFiles seen;
  ReadFileListWhenListed(seen, QStringLiteral("\"a.txt\" \"b.kvg\""));
  const auto chosen = gui::QtDesktopServices().fileDialogs->openFile(
      "", {{"追加可能なファイル", {"*.txt", "*.kvg"}}}, temp.path().string(), "", true);
  ASSERT_TRUE(seen.listed) << "the dialog never listed the folder";
  EXPECT_FALSE(seen.openRefused) << "Open did not take the typed names";
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (std::vector<std::string>{(temp / "a.txt").string(), (temp / "b.kvg").string()}));
}

// Japanese writes numbers as C does, and the program's conversions follow
// no locale: numbers read and written stay as they were.
TEST(QtJapaneseTextsTest, NumbersAreReadAndWrittenAsBefore) {
  const gui::QtJapaneseTexts texts;
  ASSERT_EQ(QLocale().language(), QLocale::Japanese);
  EXPECT_EQ(QString::number(1234.25), QStringLiteral("1234.25"));
  EXPECT_EQ(QString::number(-1234567), QStringLiteral("-1234567"));
  EXPECT_EQ(QStringLiteral("%1").arg(1234.5), QStringLiteral("1234.5"));
  EXPECT_DOUBLE_EQ(QStringLiteral("1234567.25").toDouble(), 1234567.25);
  EXPECT_EQ(num::CStr(1234.5), "1234.5");
  EXPECT_DOUBLE_EQ(num::Val("1234.5px"), 1234.5);

  QDoubleSpinBox spin;
  spin.setRange(-1e7, 1e7);
  spin.setValue(1234567.25);
  EXPECT_EQ(spin.text(), QStringLiteral("1234567.25")) << "no group separators";
  QString typed = QStringLiteral("7654321.5");
  int at = 0;
  EXPECT_EQ(spin.validate(typed, at), QValidator::Acceptable);
  EXPECT_DOUBLE_EQ(spin.valueFromText(typed), 7654321.5);
  QSpinBox whole;
  whole.setRange(-10000000, 10000000);
  whole.setValue(-1234567);
  EXPECT_EQ(whole.text(), QStringLiteral("-1234567"));
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class HelpPageTest : public MainGuiTest {
 protected:
  fs::path page() const { return paths.resources / "help" / "index.html"; }
};

TEST_F(HelpPageTest, F1OpensTheShippedPage) {
  gui::MainGUI& w = startActive();
  QTest::keyClick(&w, Qt::Key_F1);
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  EXPECT_EQ(desktop.opener.calls[0], "file " + gui::ToQ(page().string()));
  const std::string html = ReadAll(page());
  EXPECT_NE(html.find("<html lang=\"ja\">"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
}

// Every command of the menu bar and of the lists' popup menus is explained,
// under its caption and with its key.
TEST_F(HelpPageTest, ThePageNamesEveryMenuCommandAndItsKey) {
  gui::MainGUI& w = start();
  const QString html = QString::fromStdString(ReadAll(page()));
  ASSERT_FALSE(html.isEmpty());
  const QRegularExpression accessKey(QStringLiteral("\\(&.\\)|\\.\\.\\.$|&"));
  int checked = 0;
  for (const QMenu* menu : w.findChildren<QMenu*>()) {
    // Their entries are made while the program runs: sort keys, sprites.
    if (menu->objectName() == QLatin1String("sortMenu") || menu->objectName() == QLatin1String("timelineMenu"))
      continue;
    for (const QAction* a : menu->actions()) {
      if (a->isSeparator() || a->objectName().startsWith(QLatin1String("recentProjectActions"))) continue;
      const QString caption = QString(a->text()).remove(accessKey);
      EXPECT_TRUE(html.contains(caption)) << caption.toStdString();
      const QString key = a->shortcut().toString(QKeySequence::PortableText);
      if (!key.isEmpty()) {
        EXPECT_TRUE(html.contains("<kbd>" + key + "</kbd>")) << key.toStdString();
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 50);
}

}  // namespace
}  // namespace tesmiro::testing
