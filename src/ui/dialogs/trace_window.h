#pragma once
// The trace window: the "TesmiroTrace" FSCommands of the previewed movie,
// one line each. Its text lives as long as the window's instance, which the
// preview window makes (without showing it) when a line arrives while the
// window is closed.
#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace tesmiro::gui {

class TraceWindow : public QWidget {
  Q_OBJECT

 public:
  // A looping trace must not fill the memory: the oldest lines go beyond
  // this many, and a longer line is cut.
  static constexpr int kMaxLines = 5000;
  static constexpr int kMaxLineChars = 2000;

  // The instance, made (not shown) on first use.
  static TraceWindow* load();
  static TraceWindow* instance() { return instance_; }
  static bool isLoaded() { return instance_ != nullptr; }
  static bool isShownNow() { return instance_ && instance_->isVisible(); }
  // Unloads the instance: its position is kept and its text goes.
  static void unload();

  // Adds one line (as the preview window does for each trace command) and
  // puts the caret after it.
  void appendTrace(const QString& args);
  // The text as the box holds it, each line ended by CR LF.
  QString text() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  explicit TraceWindow(QWidget* parent);
  ~TraceWindow() override;
  void SaveWindowPosition();
  void clearTrace();
  void onKeyDown(int keyCode, int shift);
  void layoutControls();  // the text fills the window under the button
  // Stores the place and unticks the menu item.
  void onUnload();

  QPlainTextEdit* traceEdit = nullptr;
  QPushButton* clearButton = nullptr;
  static inline TraceWindow* instance_ = nullptr;
  bool unloading_ = false;
};

}  // namespace tesmiro::gui
