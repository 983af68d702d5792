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
  Picture1 = new QLabel(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->setPixmap(picture);
  Picture1->setGeometry(0, 0, picture.width(), picture.height());
  Label1 = new QLabel(QString::fromUtf8(kVersionText), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(PanelFont(18, true));
  QPalette brown = Label1->palette();
  brown.setColor(QPalette::WindowText, ToQColor(0x004080));
  Label1->setPalette(brown);
  Label2 = new QLabel(QString::fromUtf8(kBuildText), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setPalette(brown);
  PlaceVersionLabels(Label1, Label2, picture.size());

  Label3 = new QLabel(QStringLiteral("イベントベースの Flash (SWF) ムービー作成ツール"), this);
  Label3->setObjectName(QStringLiteral("Label3"));
  const int w = std::max({picture.width(), 300, Label3->sizeHint().width() + 16});
  Label3->setGeometry(8, picture.height() + 8, w - 16, 18);
  Label4 = new QLabel(QStringLiteral("Tesmiro について"), this);
  Label4->setObjectName(QStringLiteral("Label4"));
  QFont link = PanelFont(9);
  link.setUnderline(true);
  Label4->setFont(link);
  Label4->setCursor(Qt::PointingHandCursor);
  Label4->setGeometry(8, picture.height() + 30, w - 16, 18);
  Label4->installEventFilter(this);
  setLinkColor(QColor(0, 0, 255));
  Command1 = new QPushButton(QStringLiteral("OK"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setDefault(true);
  Command1->setGeometry(w - 88, picture.height() + 54, 80, 26);
  connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
  setFixedSize(w, picture.height() + 88);
}

void VersionInfo::setLinkColor(const QColor& c) {
  QPalette p = Label4->palette();
  p.setColor(QPalette::WindowText, c);
  Label4->setPalette(p);
  Label4->repaint();
}

void VersionInfo::Label4_Click() {
  setLinkColor(QColor(255, 0, 0));
  // The notes shipped with the program.
  const auto notes = GUICore::State().paths.resources / "README.md";
  Desktop().opener->openUrl(QUrl::fromLocalFile(ToQ(notes.string())));
  setLinkColor(QColor(0, 0, 255));
}

bool VersionInfo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label4 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Label4_Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
