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

  void Label4_Click();

  QLabel* Picture1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton* Command1 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setLinkColor(const QColor& c);
};

}  // namespace tesmiro::gui
