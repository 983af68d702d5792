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

// The picture with the version texts over it, made as children of `parent`
// (the splash and the version dialog show the same).
struct SplashLabels {
  QLabel* picture = nullptr;
  QLabel* version = nullptr;
  QLabel* build = nullptr;
};
SplashLabels AddSplashLabels(QWidget* parent, const QPixmap& picture);

}  // namespace tesmiro::gui
