#pragma once
// Help > version: the splash picture with the version texts, a link to the
// program's notes and OK.
#include <QDialog>

class QLabel;
class QPushButton;

namespace tesmiro::gui {

class VersionInfo : public QDialog {
  Q_OBJECT

 public:
  explicit VersionInfo(QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A click on "Tesmiro について".
  void openAboutNotes();
  void setLinkColor(const QColor& c);

  QLabel* pictureLabel = nullptr;
  QLabel* versionLabel = nullptr;
  QLabel* buildLabel = nullptr;
  QLabel* descriptionLabel = nullptr;
  QLabel* aboutLinkLabel = nullptr;
  QPushButton* okButton = nullptr;
};

}  // namespace tesmiro::gui
