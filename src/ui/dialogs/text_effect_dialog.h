#pragma once
// The text-effect dialog: the in and out templates of a text item's
// letters, the frame counts, intervals and orders, the templates'
// parameters, and a preview of the text with the effect. Modal; the
// material dialog hands it the settings string and the item as it shows it
// and takes the new string back after OK.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "compiler/text_effect_fields.h"
#include "project/records.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace tesmiro::gui {

class TextEffectDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TextEffectDialog(QWidget* owner = nullptr);

  // Edits the settings string of the item, placed at `owner`'s top-left
  // corner: the new string after OK, nullopt after Cancel or Escape.
  static std::optional<std::string> edit(QWidget* owner, const StoreItem& item, const std::string& settings);

  // The item the preview shows (its text, font and style).
  void SetPvJpeg(const StoreItem& item);
  // Fills the dialog from a settings string.
  void SetParam(const std::string& option);
  // The result: the settings string after OK, "" otherwise.
  std::string result() const;

  // Shows a finished preview movie and returns when it was closed: by
  // default the preview window, modal, at the stage size.
  using PreviewShow = std::function<void(const QString& path, int width, int height)>;
  PreviewShow showPreview;

  // ---- handlers ------------------------------------------------------------
  void Combo1_Change(int half);
  void Combo3_Change(int half);
  void Text4_Change(int half);
  void Text1_Change();
  void VScroll1_Change(int i);
  void VScroll2_Change(int i);
  void Check1_Click();
  void Command1_Click();  // OK
  void Command2_Click();  // Cancel
  void Command3_Click();  // preview
  // The template information of the half, as shown when one of its
  // controls gets the focus.
  void ShowTemplateInfo(int half);

  // ---- controls --------------------------------------------------------------
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label9 = nullptr;
  std::array<QLineEdit*, 4> Text1{};
  std::array<QScrollBar*, 3> VScroll1{};
  std::array<QComboBox*, 2> Combo1{};
  std::array<QLineEdit*, 2> Text2{};
  std::array<QScrollBar*, 2> VScroll2{};
  std::array<QComboBox*, 2> Combo2{};
  std::array<QLabel*, 2> Label15{};
  QPushButton* Check1 = nullptr;
  std::array<QGroupBox*, 2> Frame1{};
  std::array<QComboBox*, 2> Combo3{};
  std::array<QLabel*, 2> Label10{};
  std::array<QLineEdit*, 2> Text4{};
  std::array<QLabel*, 2> Label11{};
  QGroupBox* Frame2 = nullptr;
  QLabel* Label12 = nullptr;
  QLabel* Label13 = nullptr;
  QPlainTextEdit* Text5 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
  QLineEdit* Text3 = nullptr;  // hidden: the result
  QLabel* Label14 = nullptr;   // its left edge is the widened width

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createControls();
  void fillControls();
  void showTemplateControls(int half);
  void readFields();

  GUICore::TextEffectDialogState state_;
  StoreItem previewItem_;
  int collapsedWidth_ = 0;
  bool filling_ = false;
};

}  // namespace tesmiro::gui
