#pragma once
// The main window's script area: the docked panel (its bar with the find
// box, syntax check and undock button, and the text) and what the script
// editor module asks of the windows. The controls are the main window's
// descendants, so they keep being found by their names from the window.
#include <QObject>
#include <cstdint>
#include <string>

#include "project/script_editor.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tesmiro::gui {

class MainGUI;

class ScriptPanel final : public QObject, public ScriptEditorModule::View {
 public:
  // The controls will be made in `central` when first needed.
  ScriptPanel(MainGUI* w, QWidget* central);
  // A free-standing editor window would outlive the main window otherwise.
  ~ScriptPanel() override;

  // The docked panel takes the rectangle, or hides.
  void place(bool docked, int x, int y, int width, int height);
  // The controls a running build turns off; null until the panel was first
  // shown or filled.
  QWidget* bar() const;
  QWidget* text() const;

  bool editorOn() const override;
  bool docked() const override;
  void fillPanel(const std::string& caption, const std::string& text, bool enabled) override;
  void fillWindow(const std::string& caption, const std::string& text, bool enabled) override;
  void hideEditor() override;
  void clearPanel() override;
  void focusEditor() override;
  void focusEventList() override;
  void setEventDialogScript(int32_t kind, const std::string& text) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void onScriptChanged();
  void onScriptFocusIn();
  void onScriptFocusOut();
  void onFindTextChanged();
  void findText();
  void checkSyntax();
  // The panel becomes the script editor window.
  void undock();
  void UpdateScriptLineLabel();
  void make();

  MainGUI* w_;
  QWidget* central_;
  ScriptEditorModule::ScopedView scoped_;
  QWidget* scriptBar = nullptr;
  QLabel* lineLabel = nullptr;  // "Line：" n
  QLabel* scriptTargetLabel = nullptr;
  QComboBox* findTextList = nullptr;
  QPushButton* findButton = nullptr;
  QPushButton* syntaxCheckButton = nullptr;
  QPushButton* undockButton = nullptr;
  QPlainTextEdit* scriptEdit = nullptr;
};

}  // namespace tesmiro::gui
