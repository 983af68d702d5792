#pragma once
// The event property dialog: the modeless window in which the selected
// events of the event list are edited. The main window fills it and reads
// it back through the core's exchange (EventDialogFields); its own handlers
// only lay the fields out and keep them consistent, asking the core's
// dialog rules for every decision.
//
// One shared instance, made on first use: instance() never creates it,
// load() does. Unload() stores its place and options and deletes it later.
#include <QDialog>
#include <QPointer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "project/event_dialog_rules.h"
#include "project/event_property_exchange.h"
#include "swf/filter_state.h"
#include "ui/common/keep_on_top.h"
#include "ui/dialogs/event_dialog_picture.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tesmiro::gui {

class GreyCheckBox;
class EventDialogFieldsAdaptor;

// The easing curve: one vertical line per frame.
class EasingCurve : public QWidget {
  Q_OBJECT
 public:
  explicit EasingCurve(QWidget* parent = nullptr);
  void setLines(std::vector<int32_t> lines);
  const std::vector<int32_t>& lines() const { return lines_; }
  // The drawing area's width, inside the frame.
  int drawingWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<int32_t> lines_;
};

class EventDialog : public QDialog {
  Q_OBJECT

 public:
  ~EventDialog() override;
  // The loaded instance, or null; never creates one.
  static EventDialog* instance();
  static bool isLoaded() { return instance() != nullptr; }
  static bool isShownNow();
  // The instance, created when there is none.
  static EventDialog* load();
  // Unloads the instance when there is one (the window keeps its place).
  static void UnloadInstance();
  // Deletes the instance and every unloaded one at once (the main window
  // ends): nothing is stored.
  static void DestroyAll();

  // ---- members the main window uses ---------------------------------------
  int32_t SelectedFileKind() const;
  void setSelectedFileKind(int32_t kind);
  bool IsFilling() const;
  void setIsFilling(bool filling);
  void ActivateSub();
  void LoadingSub();
  void EventDialogInitialize();
  void UpdateScrolls();
  // The live picture: only remembers its scratch file while the pane is
  // collapsed.
  void MakePictPreview(bool useCache, bool keepHandles);
  // The window the dialog belongs to (null: a window of its own); set
  // before placing it.
  void setOwner(QWidget* owner);
  // Shows it modeless, owned by `owner`, wholly on its screen.
  void showOwned(QWidget* owner);
  // A script edited elsewhere for this event: the clip script (kind 3) or
  // the action script box.
  void takeScript(int32_t kind, const std::string& text);
  void Unload();

  // The fields as the core's exchange reads and writes them.
  EventProperty::EventDialogFields& fields();

  // ---- handlers -------------------------------------------------------------
  void Text1_Change();
  void Text2_Change();
  void Text3_Change();  // and Text4, Text7, Text8: the draw position
  void Text5_Change();  // and Text6, Text9, Text10: the move target
  void Text11_Change();
  void Text15_Change();
  void Text26_Change(int i);
  void VScroll3_Change(int i);
  void VScroll1_Change();
  void VScroll2_Change();
  void HScroll_Change(int slider);  // 1 to 4: brightness and opacity
  void PercentBox_Change(int slider);  // Text22..Text25 for HScroll1..4, Text21 for 5
  void HScroll5_Change();
  void Check1_Click();
  void Check2_Click(int i);
  void Check3_Click();
  void Check7_Click();
  void Check10_Click();
  void Combo1_Click();
  void Combo2_Click();
  void Combo4_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void Command8_Click();
  void Command9_Click();
  void Command10_Click(int i);  // filters: 0 draw position, 1 move target
  void LabelPosition_Click(QLabel* label);  // Label4, Label5, Label7, Label8
  void Label23_MouseDown(int y);
  void Frame_Click(int image);  // Frame1: 0, Frame2: 1
  void Option1_Click(int i);
  // The temporary drop of the keep-on-top state while a modal dialog of
  // this window is open; Check7_Click puts it back.
  void dropKeepOnTop();

  // The image the handles act on: 0 draw position, 1 move target.
  int operatedImage() const { return operatedImage_; }
  bool keptOnTop() const { return keepOnTop_.onTop(); }
  // Whether the picture pane's controls are offered (the pane itself may be
  // collapsed).
  bool previewControlsShown() const { return previewControls_; }
  // The scratch file of the live picture.
  const std::string& previewTempPath() const { return previewTempPath_; }
  // The window's size as designed (the collapsed size).
  QSize designSize() const { return designSize_; }

  // ---- controls -------------------------------------------------------------
  QLabel* Label1 = nullptr;
  QLineEdit* Text1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Text2 = nullptr;
  QScrollBar* VScroll1 = nullptr;
  QPushButton* Command9 = nullptr;
  QGroupBox* Frame5 = nullptr;  // depth
  QLabel* Label24 = nullptr;
  QLineEdit* Text15 = nullptr;
  QScrollBar* VScroll2 = nullptr;
  QLabel* Label25 = nullptr;
  GreyCheckBox* Check3 = nullptr;  // mask
  QGroupBox* Frame10 = nullptr;
  QLineEdit* Text20 = nullptr;
  QLabel* Label29 = nullptr;
  QLineEdit* Text19 = nullptr;
  QLabel* Label31 = nullptr;
  QLabel* Label32 = nullptr;
  QComboBox* Combo4 = nullptr;  // blend mode
  GreyCheckBox* Check1 = nullptr;  // button
  QGroupBox* Frame6 = nullptr;  // action
  QLabel* Label16 = nullptr;
  QComboBox* Combo2 = nullptr;
  QLabel* Label22 = nullptr;
  QLineEdit* Text13 = nullptr;
  QLabel* Label23 = nullptr;
  QLineEdit* Text14 = nullptr;
  QPushButton* Command7 = nullptr;
  QGroupBox* Frame7 = nullptr;  // button images
  std::array<GreyCheckBox*, 3> Check2{};
  std::array<QLineEdit*, 3> Text16{};
  QLabel* Label26 = nullptr;
  QGroupBox* Frame8 = nullptr;  // sprite
  QLabel* Label28 = nullptr;
  QLineEdit* Text18 = nullptr;
  QLineEdit* Text17 = nullptr;
  QPushButton* Command8 = nullptr;
  QGroupBox* Frame4 = nullptr;  // sound
  QComboBox* Combo1 = nullptr;
  QGroupBox* Frame11 = nullptr;  // volume
  QCheckBox* Check10 = nullptr;
  std::array<QLineEdit*, 2> Text26{};
  std::array<QScrollBar*, 2> VScroll3{};
  std::array<QLabel*, 2> Label17{};
  QGroupBox* Frame3 = nullptr;  // centre
  QLabel* Label13 = nullptr;
  QLineEdit* Text11 = nullptr;
  QLabel* Label15 = nullptr;
  QLineEdit* Text12 = nullptr;
  QPushButton* Command3 = nullptr;
  QGroupBox* Frame1 = nullptr;  // draw position
  QLabel* Label4 = nullptr;
  QLineEdit* Text3 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* Text4 = nullptr;
  QLabel* Label9 = nullptr;
  QLineEdit* Text7 = nullptr;
  QLabel* Label10 = nullptr;
  QLineEdit* Text8 = nullptr;
  QLabel* Label3 = nullptr;
  QScrollBar* HScroll1 = nullptr;
  QLineEdit* Text22 = nullptr;
  QLabel* Label6 = nullptr;
  QScrollBar* HScroll2 = nullptr;
  QLineEdit* Text23 = nullptr;
  std::array<QPushButton*, 2> Command10{};
  QPushButton* Command5 = nullptr;
  QGroupBox* Frame2 = nullptr;  // move target
  QLabel* Label7 = nullptr;
  QLineEdit* Text5 = nullptr;
  QLabel* Label8 = nullptr;
  QLineEdit* Text6 = nullptr;
  QLabel* Label11 = nullptr;
  QLineEdit* Text9 = nullptr;
  QLabel* Label12 = nullptr;
  QLineEdit* Text10 = nullptr;
  QLabel* Label21 = nullptr;
  QScrollBar* HScroll4 = nullptr;
  QLineEdit* Text24 = nullptr;
  QLabel* Label20 = nullptr;
  QScrollBar* HScroll3 = nullptr;
  QLineEdit* Text25 = nullptr;
  QPushButton* Command6 = nullptr;
  QGroupBox* Frame9 = nullptr;  // easing
  QScrollBar* HScroll5 = nullptr;
  QLineEdit* Text21 = nullptr;
  EasingCurve* Picture1 = nullptr;
  QPushButton* Command4 = nullptr;  // event preview
  QPushButton* Command1 = nullptr;  // Apply
  QPushButton* Command2 = nullptr;  // Close
  QCheckBox* Check7 = nullptr;  // keep on top
  QCheckBox* Check5 = nullptr;  // the pane expander
  // The picture pane's tool box, collapsed with the pane.
  QWidget* PictToolBox = nullptr;
  std::array<QRadioButton*, 2> Option1{};
  QCheckBox* Check9 = nullptr;  // guide editing
  QPushButton* Command13 = nullptr;  // guide menu
  QCheckBox* Check6 = nullptr;  // real-time redraw
  QCheckBox* Check4 = nullptr;  // only the operated image

  QMenu* mnuCopyParam = nullptr;
  QAction* mnuCopyBasic = nullptr;
  QAction* mnuCopyDetail = nullptr;
  QAction* mnuCopyAll = nullptr;

  // ---- the live picture pane (event_dialog_picture.cpp) ---------------------
  LivePicturePane* picturePane() const { return pane_.get(); }
  void Check5_Click();
  void ShowPreviewPane();
  // The pane expanded or collapsed, and its real-time box, as stored.
  void restorePaneOptions();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class EventDialogPicture;
  void embedPicturePane();
  void layoutPicturePane();
  void storeExpandedSize();
  // The adaptor outlives the pane that reads through it.
  std::unique_ptr<EventDialogPicture> picture_;
  std::unique_ptr<LivePicturePane> pane_;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  friend class EventDialogFieldsAdaptor;
  EventDialog();
  void createControls();
  void connectHandlers();
  QWidget* widget(EventDialogRules::Ctl c) const;
  QLineEdit* box(EventProperty::Box b) const;
  QScrollBar* slider(EventProperty::Slider s) const;
  QWidget* part(EventProperty::Part p) const;
  void applyVisibility(const EventDialogRules::Visibility& v);
  void placeActionFrame(bool top);
  void UpdateApplyButton();
  void SetPreviewControlsVisible(bool visible);
  void CopyDrawToMove();
  void CopyMoveToDraw();
  // Command5 (0 to 1) and Command6 (1 to 0).
  void copyState(int from);
  void openScript(int32_t kind, const QLineEdit* box);
  void StorePreviewOptions();
  void SaveDialogState();
  void Form_Activate();

  int operatedImage_ = 0;
  bool previewControls_ = true;  // as designed, until a kind says otherwise
  bool unloading_ = false;
  KeepOnTop keepOnTop_{this};
  QSize designSize_;
  std::string previewTempPath_;
  std::unique_ptr<EventDialogFieldsAdaptor> fields_;
};

}  // namespace tesmiro::gui
