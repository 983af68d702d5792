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

  // The template information of the half (0 in, 1 out), as shown when one
  // of its controls gets the focus.
  void ShowTemplateInfo(int half);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The rows of the dialog: In and Out also index its two halves; Hold is
  // the letters shown between them.
  enum Phase { In, Out, Hold, Total };

  void onTemplateChosen(Phase half);
  void onParameterChosen(Phase half);
  void onParameterValueChanged(Phase half);
  void onFrameCountChanged();
  void onFrameCountSpin(Phase row);
  void onIntervalSpin(Phase half);
  void toggleParameters();
  void onOk();
  void onCancel();
  void previewEffect();

  void createControls();
  void fillControls();
  void showTemplateControls(Phase half);
  void readFields();

  QLabel* frameInLabel = nullptr;
  QLabel* frameOutLabel = nullptr;
  QLabel* holdLabel = nullptr;
  QLabel* frameCountHeadLabel = nullptr;
  QLabel* effectKindHeadLabel = nullptr;
  QLabel* intervalHeadLabel = nullptr;
  QLabel* totalLabel = nullptr;
  QLabel* holdKindLabel = nullptr;
  QLabel* orderHeadLabel = nullptr;
  std::array<QLineEdit*, 4> frameCountBoxes{};   // by Phase
  std::array<QScrollBar*, 3> frameCountSpins{};  // In, Out, Hold
  // The halves, by Phase In and Out.
  std::array<QComboBox*, 2> templateLists{};
  std::array<QLineEdit*, 2> intervalBoxes{};
  std::array<QScrollBar*, 2> intervalSpins{};
  std::array<QComboBox*, 2> orderLists{};
  std::array<QLabel*, 2> parameterMarkLabels{};
  std::array<QGroupBox*, 2> parameterGroups{};
  std::array<QComboBox*, 2> parameterLists{};
  std::array<QLabel*, 2> parameterValueLabels{};
  std::array<QLineEdit*, 2> parameterValueBoxes{};
  std::array<QLabel*, 2> parameterDescriptionLabels{};
  QPushButton* parametersButton = nullptr;
  QGroupBox* effectInfoGroup = nullptr;
  QLabel* templateAuthorLabel = nullptr;
  QLabel* templateKindLabel = nullptr;
  QPlainTextEdit* templateCommentEdit = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* previewButton = nullptr;
  QLineEdit* resultBox = nullptr;     // hidden: the result
  QLabel* widenedEdgeLabel = nullptr;  // its left edge is the widened width

  GUICore::TextEffectDialogState state_;
  StoreItem previewItem_;
  int collapsedWidth_ = 0;
  bool filling_ = false;
};

}  // namespace tesmiro::gui
