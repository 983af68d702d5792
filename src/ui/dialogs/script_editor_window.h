#pragma once
// The separate script editor: the script of one event, edited with live
// write-back, a syntax check that selects the error line, a find with a
// history, the caret's line, a keep-on-top box and a button that docks the
// script back into the main window. Modeless; filled and shown by the
// script panel's logic (ScriptEditorModule).
#include <QPointer>
#include <QWidget>

#include "ui/common/keep_on_top.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tesmiro::gui {

class ScriptEditorWindow : public QWidget {
  Q_OBJECT

 public:
  // Owned by `owner` (kept over it), or free-standing when null.
  explicit ScriptEditorWindow(QWidget* owner = nullptr);
  ~ScriptEditorWindow() override;

  // The one window, made on first use; never made by the accessors below.
  static ScriptEditorWindow* instance(QWidget* owner);
  static bool isLoaded();
  static bool isShownNow();
  static ScriptEditorWindow* loaded();
  // Stores its rectangle and on-top box and closes it (deleted later).
  static void unload();

  // Shows the script (model form) under the caption.
  void fill(const QString& caption, const std::string& script, bool enabled);
  // The script as the model keeps it (CR LF).
  std::string script() const;
  // Whether the window is kept on top now.
  bool onTop() const { return keepOnTop_.onTop(); }

  void Combo1_Change();
  void Command1_Click();  // syntax check
  void Command2_Click();  // find
  void Command6_Click();  // dock
  void Check1_Click();    // keep on top
  void Text1_Change();
  void UpdateLineLabel();
  void SaveWindowState();

  QPushButton* Command6 = nullptr;
  QComboBox* Combo1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command1 = nullptr;
  QCheckBox* Check1 = nullptr;
  QLabel* Label1 = nullptr;
  QPlainTextEdit* Text1 = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Form_Resize();
  // The stored size is the outer one; before the frame is known it waits here.
  void fitPendingOuterSize();
  QSize pendingOuter_;
  KeepOnTop keepOnTop_{this};
  bool saved_ = false;
};

}  // namespace tesmiro::gui
