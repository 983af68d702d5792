#pragma once
// The material property dialog: one frame of controls per kind of
// material, filled from the exchange's fields and read back into them. The
// dialog changes no model data itself: it reacts inside its own controls,
// picks colours, checks a morph target, browses for a file and opens the
// text-effect editor.
#include <QDialog>
#include <array>

#include "project/store_property_exchange.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace tesmiro::gui {

class GreyCheckBox;

class StoreDialog : public QDialog {
  Q_OBJECT

 public:
  explicit StoreDialog(QWidget* parent = nullptr);
  ~StoreDialog() override;

  // Sets every control from the fields, as the filler does; the controls'
  // handlers follow.
  void load(const StoreProperty::Fields& fields);
  // The controls as fields, for reading back after OK.
  StoreProperty::Fields read() const;
  // True once the dialog was closed with OK.
  bool ok() const { return ok_; }

  // ---- handlers -------------------------------------------------------------
  void Command1_Click();  // OK
  void Command2_Click();  // Cancel
  void SaveDialogPosition();
  void Check1_Click();
  void HScroll1_Change(int i);
  void Text21_Change(int i);
  void Picture1_Click();
  void Picture2_Click();
  void Command3_Click();  // key colour from the picture's top-left pixel
  void Check4_Click();
  void Combo3_Click();
  void Text7_Change();
  void Text16_Change();
  void Command5_Click();  // morph check
  void Command6_Click();  // browse
  void Command7_Click();  // previous key frame
  void Command8_Click();  // next key frame
  void Command4_Click();  // sprite centre
  void Combo2_Click();
  void Check5_Click();
  void Check6_Click();
  void Text23_Change();
  void Command9_Click();  // text-effect settings

  // ---- controls -------------------------------------------------------------
  QLabel* Label3 = nullptr;  // "ID"
  QLineEdit* Text1 = nullptr;
  QLabel* Label1 = nullptr;  // "ﾀｲﾌﾟ"
  QLineEdit* Text3 = nullptr;
  QLabel* Label2 = nullptr;  // "ﾌｧｲﾙ"
  QLineEdit* Text2 = nullptr;
  QPushButton* Command6 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;

  std::array<QScrollBar*, 6> HScroll1{};
  std::array<QLineEdit*, 6> Text21{};

  // Image.
  QGroupBox* Frame11 = nullptr;
  QLabel* Label29 = nullptr;
  QLineEdit* Text20 = nullptr;
  GreyCheckBox* Check15 = nullptr;
  GreyCheckBox* Check1 = nullptr;
  QFrame* Frame1 = nullptr;
  QLabel* Picture1 = nullptr;  // key colour swatch
  QPushButton* Command3 = nullptr;
  GreyCheckBox* Check4 = nullptr;
  QFrame* Frame3 = nullptr;
  QComboBox* Combo3 = nullptr;
  QLabel* Label15 = nullptr;
  QLineEdit* Text7 = nullptr;

  // Sound.
  QGroupBox* Frame9 = nullptr;
  QLineEdit* Text17 = nullptr;

  // Video.
  QGroupBox* Frame10 = nullptr;
  GreyCheckBox* Check17 = nullptr;
  QLineEdit* Text18 = nullptr;
  QPushButton* Command7 = nullptr;
  QPushButton* Command8 = nullptr;
  QLineEdit* Text19 = nullptr;

  // Sprite.
  QGroupBox* Frame4 = nullptr;
  QLineEdit* Text8 = nullptr;
  QLineEdit* Text9 = nullptr;
  QLineEdit* Text10 = nullptr;
  QLineEdit* Text12 = nullptr;
  QLineEdit* Text13 = nullptr;
  QPushButton* Command4 = nullptr;

  // Folder.
  QGroupBox* Frame12 = nullptr;
  QLineEdit* Text26 = nullptr;

  // Vector.
  QGroupBox* Frame13 = nullptr;
  QLineEdit* Text22 = nullptr;
  GreyCheckBox* Check14 = nullptr;
  QFrame* Frame8 = nullptr;
  QLineEdit* Text16 = nullptr;
  QPushButton* Command5 = nullptr;
  QLabel* Label25 = nullptr;

  // Text.
  QGroupBox* Frame2 = nullptr;
  QPlainTextEdit* Text4 = nullptr;
  QComboBox* Combo2 = nullptr;
  QLineEdit* Text5 = nullptr;
  QComboBox* Combo1 = nullptr;
  QLineEdit* Text6 = nullptr;
  GreyCheckBox* Check2 = nullptr;
  GreyCheckBox* Check3 = nullptr;
  QLabel* Picture2 = nullptr;  // text colour swatch
  GreyCheckBox* Check5 = nullptr;
  QLabel* Label20 = nullptr;
  QLineEdit* Text14 = nullptr;
  QLabel* Label21 = nullptr;
  QLineEdit* Text15 = nullptr;
  GreyCheckBox* Check6 = nullptr;  // sample view
  GreyCheckBox* Check16 = nullptr;
  QFrame* Frame7 = nullptr;
  GreyCheckBox* Check7 = nullptr;
  GreyCheckBox* Check8 = nullptr;
  GreyCheckBox* Check9 = nullptr;
  GreyCheckBox* Check10 = nullptr;
  GreyCheckBox* Check11 = nullptr;
  GreyCheckBox* Check12 = nullptr;
  GreyCheckBox* Check13 = nullptr;
  QLineEdit* Text11 = nullptr;
  GreyCheckBox* Check18 = nullptr;
  QFrame* Frame14 = nullptr;
  QLineEdit* Text23 = nullptr;  // hidden: the settings string
  QPushButton* Command9 = nullptr;
  QLabel* Label30 = nullptr;

 protected:
  void reject() override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildImageFrame();
  void buildTextFrame();
  void buildOtherFrames();
  void showFrame(StoreProperty::Frame frame);
  void pickColour(int first);
  void paintSwatches();
  void setTextFrameFlags(const StoreProperty::Fields& fields);

  StoreProperty::Fields loaded_;  // lists and visibility the controls do not hold
  bool ok_ = false;
  bool fontRuleRunning_ = false;
  bool loading_ = false;
};

}  // namespace tesmiro::gui
