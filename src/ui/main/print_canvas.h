#pragma once
// A picture box that keeps what is drawn on it: a persistent image that
// text is printed into line by line (the status line and the information
// panel), repainted from the image.
#include <QImage>
#include <QStringList>
#include <QWidget>

namespace tesmiro::gui {

class PrintCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit PrintCanvas(QWidget* parent = nullptr);

  // Fills the image with the back colour; the print position goes home.
  void Cls();
  // Prints at the current position; with endLine the next print starts on
  // the next line at x = 0, otherwise right after this text.
  void Print(const QString& text, bool endLine = true);
  int CurrentX() const { return currentX_; }
  int CurrentY() const { return currentY_; }
  void setCurrentX(int x) { currentX_ = x; }
  void setCurrentY(int y) { currentY_ = y; }
  QColor backColor() const { return back_; }
  void setBackColor(const QColor& c);
  QColor foreColor() const { return fore_; }
  void setForeColor(const QColor& c) { fore_ = c; }
  int lineHeight() const;

  // The persistent image, for painters of the panel's own drawings; call
  // update() after drawing.
  QImage& image() { return image_; }
  // The texts printed since the last Cls, one entry per line.
  const QStringList& printedLines() const { return lines_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QImage image_;
  QColor back_;
  QColor fore_ = Qt::black;
  int currentX_ = 0;
  int currentY_ = 0;
  QStringList lines_;
  bool lineOpen_ = false;
};

}  // namespace tesmiro::gui
