// Texts the user reads that the program does not write itself: Qt's own
// (buttons, the file dialog, the text boxes' menu), in Japanese whatever the
// machine's locale, and the help page that Help > ヘルプ (F1) opens.
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

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
