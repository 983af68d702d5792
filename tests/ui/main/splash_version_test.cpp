// The splash window and the version dialog, with the built-in picture and
// with the user's own "tesmiro_splash.jpg".
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ui.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/dialogs/splash_screen.h"
#include "ui/dialogs/version_dialog.h"

namespace tesmiro::testing {
namespace {

class SplashTest : public MainGuiTest {};

TEST_F(SplashTest, BuiltInPictureAndVersionTexts) {
  gui::SplashWindow splash;
  EXPECT_EQ(splash.size(), QSize(299, 78));
  auto* versionLabel = Control<QLabel>(splash, "versionLabel");
  EXPECT_EQ(versionLabel->text(), QStringLiteral("Ver1.00"));
  EXPECT_EQ(Control<QLabel>(splash, "buildLabel")->text(), QStringLiteral("Build: 20261208"));
  EXPECT_EQ(versionLabel->palette().color(QPalette::WindowText), QColor(0x80, 0x40, 0x00));
  EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(SplashTest, AUserPictureSetsTheSizeOfBothWindows) {
  QImage custom(200, 120, QImage::Format_RGB32);
  custom.fill(QColor(10, 200, 30));
  ASSERT_TRUE(custom.save(QString::fromStdString((temp / "tesmiro_splash.jpg").string()), "JPG"));
  gui::SplashWindow splash;
  EXPECT_EQ(splash.size(), QSize(200, 120));
  // Away from the version texts, the picture's own colour.
  const QImage shot = splash.grab().toImage();
  const QColor probe = shot.pixelColor(20, 20);
  EXPECT_NEAR(probe.green(), 200, 12);
  EXPECT_NEAR(probe.red(), 10, 12);

  gui::VersionInfo dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tesmiro バージョン情報"));
  EXPECT_EQ(Control<QLabel>(dialog, "pictureLabel")->pixmap().size(), QSize(200, 120));
  EXPECT_EQ(Control<QLabel>(dialog, "versionLabel")->text(), QStringLiteral("Ver1.00"));
  EXPECT_EQ(Control<QLabel>(dialog, "buildLabel")->text(), QStringLiteral("Build: 20261208"));
}

TEST_F(SplashTest, TheVersionDialogClosesOtherWindowsAndItsLinkOpens) {
  ui::ScopedServices recorded({&ui, &ui, &ui});
  gui::VersionInfo dialog;
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "unloadEventDialog"), ui.calls.end());
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "unloadPreviewWindow"), ui.calls.end());
  auto* aboutLinkLabel = Control<QLabel>(dialog, "aboutLinkLabel");
  QTest::mouseClick(aboutLinkLabel, Qt::LeftButton);
  // The help's own section about the program, which its page has.
  const std::filesystem::path help = paths.resources / "help" / "index.html";
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  EXPECT_EQ(desktop.opener.calls[0], "file " + QString::fromStdString(help.string()) + "#about");
  std::ifstream page(help);
  EXPECT_NE(std::string(std::istreambuf_iterator<char>(page), {}).find("id=\"about\""), std::string::npos);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(aboutLinkLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  dialog.show();
  Control<QPushButton>(dialog, "okButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace tesmiro::testing
