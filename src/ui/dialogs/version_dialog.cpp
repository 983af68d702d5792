#include "ui/dialogs/version_dialog.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

#include "project/model.h"
#include "project/window_services.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/splash_screen.h"

namespace tesmiro::gui {

VersionInfo::VersionInfo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("VersionInfo"));
  setWindowTitle(QStringLiteral("Tesmiro バージョン情報"));
  // A modal window first closes the modeless ones.
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();

  const QPixmap picture = SplashWindow::SplashPicture();
  const SplashLabels labels = AddSplashLabels(this, picture);
  pictureLabel = labels.picture;
  versionLabel = labels.version;
  buildLabel = labels.build;

  descriptionLabel = new QLabel(QStringLiteral("イベントベースの Flash (SWF) ムービー作成ツール"), this);
  descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
  const int w = std::max({picture.width(), 300, descriptionLabel->sizeHint().width() + 16});
  descriptionLabel->setGeometry(8, picture.height() + 8, w - 16, 18);
  aboutLinkLabel = new QLabel(QStringLiteral("Tesmiro について"), this);
  aboutLinkLabel->setObjectName(QStringLiteral("aboutLinkLabel"));
  QFont link = PanelFont(9);
  link.setUnderline(true);
  aboutLinkLabel->setFont(link);
  aboutLinkLabel->setCursor(Qt::PointingHandCursor);
  aboutLinkLabel->setGeometry(8, picture.height() + 30, w - 16, 18);
  aboutLinkLabel->installEventFilter(this);
  setLinkColor(QColor(0, 0, 255));
  okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setObjectName(QStringLiteral("okButton"));
  okButton->setDefault(true);
  okButton->setGeometry(w - 88, picture.height() + 54, 80, 26);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  setFixedSize(w, picture.height() + 88);
}

void VersionInfo::setLinkColor(const QColor& c) {
  QPalette p = aboutLinkLabel->palette();
  p.setColor(QPalette::WindowText, c);
  aboutLinkLabel->setPalette(p);
  aboutLinkLabel->repaint();
}

void VersionInfo::openAboutNotes() {
  setLinkColor(QColor(255, 0, 0));
  // The help's own section about the program, in the page F1 opens.
  OpenPageOrTell("「Tesmiro について」", (GUICore::State().paths.resources / "help" / "index.html").string(), "about");
  setLinkColor(QColor(0, 0, 255));
}

bool VersionInfo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == aboutLinkLabel && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    openAboutNotes();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
