#pragma once
// The borderless picture shown while the main window starts, with the
// version texts. The picture is "tesmiro_splash.jpg" of the config folder
// (or the shipped resources) when there is one, else the built-in one.
#include <QPixmap>
#include <QWidget>

class QLabel;

namespace tesmiro::gui {

inline constexpr const char* kVersionText = "Ver1.00";
inline constexpr const char* kBuildText = "Build: 20261208";

class SplashWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SplashWindow(QWidget* owner = nullptr);

  // The picture the splash shows (the version dialog shows it too).
  static QPixmap SplashPicture();
  static QPixmap BuiltInPicture();

 private:
  QLabel* pictureLabel = nullptr;
  QLabel* versionLabel = nullptr;
  QLabel* buildLabel = nullptr;
};

// The two version labels over a picture of the splash's size.
void PlaceVersionLabels(QLabel* version, QLabel* build, const QSize& picture);

}  // namespace tesmiro::gui
