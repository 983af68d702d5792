#pragma once
// The file list (PictFileList) and its column header (ListJpegStoreHead).
// Both paint what the core planned (FileListModule) and hand their input to
// the file list area's handlers, in the order the handlers expect: press,
// release, click, double click, release.
#include <QRect>
#include <QWidget>
#include <optional>

#include "project/file_list_input.h"
#include "project/file_list_view.h"

class QScrollBar;

namespace tesmiro::gui {

class FileListArea;

class FileListWidget : public QWidget {
  Q_OBJECT

 public:
  explicit FileListWidget(FileListArea* owner, QWidget* parent = nullptr);
  ~FileListWidget() override;

  // The list's scroll bars (fileListVScrollBar, fileListHScrollBar), which live inside it.
  void attachScrollBars(QScrollBar* vertical, QScrollBar* horizontal);
  // Ranges, values and the horizontal bar's visibility from the core.
  void syncScrollBars();
  // The client width the rows use (the vertical bar stands at the right).
  int rowsWidth() const;
  // The press, drag or drop in progress, for the list's input rules.
  FileListInput::DragState& drag() { return drag_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void updateViewSize();

  FileListArea* owner_;
  QScrollBar* vertical_ = nullptr;
  QScrollBar* horizontal_ = nullptr;
  bool pressed_ = false;
  bool syncing_ = false;
  FileListInput::DragState drag_;
  // Size, focus, scroll ranges and paint plan: the core plans into it while
  // the list lives.
  FileListModule::View view_;
  FileListModule::ScopedView viewInstalled_;
};

class FileListHeader : public QWidget {
  Q_OBJECT

 public:
  explicit FileListHeader(FileListArea* owner, QWidget* parent = nullptr);
  // The frame round the column whose sort menu is open (none: nullopt).
  void setSortFrame(std::optional<QRect> frame);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  FileListArea* owner_;
  std::optional<QRect> frame_;
};

}  // namespace tesmiro::gui
