#include "ui/dialogs/splash_screen.h"

#include <QFileInfo>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

#include "project/model.h"
#include "ui/common/qt_text.h"

namespace tesmiro::gui {
namespace {

constexpr int kPictureWidth = 299;  // 4485 x 1170 twips
constexpr int kPictureHeight = 78;
constexpr const char* kCustomPicture = "tesmiro_splash.jpg";

}  // namespace

QPixmap SplashWindow::BuiltInPicture() {
  QPixmap pm(kPictureWidth, kPictureHeight);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 0, kPictureHeight);
  g.setColorAt(0, QColor(255, 248, 232));
  g.setColorAt(1, QColor(236, 214, 176));
  p.fillRect(pm.rect(), g);
  p.setPen(QColor(128, 64, 0));
  p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
  QFont title = PanelFont(22, true);
  title.setItalic(true);
  p.setFont(title);
  p.drawText(QRect(12, 6, kPictureWidth - 24, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tesmiro"));
  return pm;
}

QPixmap SplashWindow::SplashPicture() {
  const AppPaths& paths = GUICore::State().paths;
  for (const auto& folder : {paths.config, paths.resources}) {
    const QString file = ToQ((folder / kCustomPicture).string());
    if (!QFileInfo::exists(file)) continue;
    QPixmap pm(file);
    if (!pm.isNull()) return pm;
  }
  return BuiltInPicture();
}

SplashLabels AddSplashLabels(QWidget* parent, const QPixmap& picture) {
  SplashLabels labels;
  labels.picture = new QLabel(parent);
  labels.picture->setObjectName(QStringLiteral("pictureLabel"));
  labels.picture->setPixmap(picture);
  labels.picture->setGeometry(0, 0, picture.width(), picture.height());
  labels.version = new QLabel(QString::fromUtf8(kVersionText), parent);
  labels.version->setObjectName(QStringLiteral("versionLabel"));
  labels.version->setFont(PanelFont(18, true));
  QPalette brown = labels.version->palette();
  brown.setColor(QPalette::WindowText, ToQColor(0x004080));
  labels.version->setPalette(brown);
  labels.build = new QLabel(QString::fromUtf8(kBuildText), parent);
  labels.build->setObjectName(QStringLiteral("buildLabel"));
  labels.build->setPalette(brown);
  // Both texts right-aligned in the picture's lower right corner.
  labels.version->adjustSize();
  labels.build->adjustSize();
  labels.build->move(picture.width() - labels.build->width() - 8, picture.height() - labels.build->height() - 4);
  labels.version->move(picture.width() - labels.version->width() - 8, labels.build->y() - labels.version->height());
  return labels;
}

SplashWindow::SplashWindow(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("SplashWindow"));
  const QPixmap picture = SplashPicture();
  const SplashLabels labels = AddSplashLabels(this, picture);
  pictureLabel = labels.picture;
  versionLabel = labels.version;
  buildLabel = labels.build;
  setFixedSize(picture.size());
  if (owner) {
    const QRect o = owner->frameGeometry();
    move(o.center() - rect().center());
  }
}

}  // namespace tesmiro::gui
