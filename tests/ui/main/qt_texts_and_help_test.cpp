// Texts the user reads that the program does not write itself: Qt's own
// (buttons, the file dialog, the text boxes' menu), in Japanese whatever the
// machine's locale.
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
  std::string chosen;
  EXPECT_FALSE(gui::QtDesktopServices().fileDialogs->saveFile(
      "SWFファイルの生成", {{"Shockwave Flash オブジェクト (*.swf)", {"*.swf"}}}, temp.path().string(), "", chosen));
  EXPECT_EQ(seen.lookIn, QStringLiteral("アドレス:"));
  EXPECT_EQ(seen.fileName, QStringLiteral("ファイル名(&N):"));
  EXPECT_EQ(seen.accept, QStringLiteral("保存(&S)"));
  EXPECT_EQ(seen.cancel, QStringLiteral("キャンセル"));
}

}  // namespace
}  // namespace tesmiro::testing
