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

  // Puts the caret in the script (the window is activated by the caller).
  void focusScript();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void onFindTextChanged();
  void checkSyntax();
  void findText();
  void dock();  // back into the main window's script panel
  void onKeepOnTopToggled();
  void onScriptChanged();
  void UpdateLineLabel();
  void SaveWindowState();
  void layoutControls();
  // The stored size is the outer one; before the frame is known it waits here.
  void fitPendingOuterSize();
  QSize pendingOuter_;
  KeepOnTop keepOnTop_{this};
  bool saved_ = false;

  QPushButton* dockButton = nullptr;
  QComboBox* findTextList = nullptr;
  QPushButton* findButton = nullptr;
  QPushButton* syntaxCheckButton = nullptr;
  QCheckBox* keepOnTopCheck = nullptr;
  QLabel* lineLabel = nullptr;
  QPlainTextEdit* scriptEdit = nullptr;
};

}  // namespace tesmiro::gui
