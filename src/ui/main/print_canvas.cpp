#include "ui/main/print_canvas.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace tesmiro::gui {

PrintCanvas::PrintCanvas(QWidget* parent) : QWidget(parent), back_(palette().color(QPalette::Window)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PrintCanvas::setBackColor(const QColor& c) {
  back_ = c;
  Cls();
}

int PrintCanvas::lineHeight() const { return QFontMetrics(font()).height(); }

void PrintCanvas::Cls() {
  if (!image_.isNull()) image_.fill(back_);
  currentX_ = 0;
  currentY_ = 0;
  lines_.clear();
  lineOpen_ = false;
  update();
}

void PrintCanvas::Print(const QString& text, bool endLine) {
  const QFontMetrics fm(font());
  if (!image_.isNull()) {
    QPainter p(&image_);
    p.setFont(font());
    p.setPen(fore_);
    p.drawText(currentX_, currentY_ + fm.ascent(), text);
  }
  if (lineOpen_ && !lines_.isEmpty()) lines_.last() += text;
  else lines_ << text;
  if (endLine) {
    currentX_ = 0;
    currentY_ += fm.height();
    lineOpen_ = false;
  } else {
    currentX_ += fm.horizontalAdvance(text);
    lineOpen_ = true;
  }
  update();
}

void PrintCanvas::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), back_);
  p.drawImage(event->rect().topLeft(), image_, event->rect());
}

void PrintCanvas::resizeEvent(QResizeEvent*) {
  // The image only grows, so that a panel made smaller and larger again
  // keeps what was printed.
  const QSize want(std::max(width(), image_.width()), std::max(height(), image_.height()));
  if (want == image_.size() || want.isEmpty()) return;
  QImage grown(want, QImage::Format_RGB32);
  grown.fill(back_);
  if (!image_.isNull()) {
    QPainter p(&grown);
    p.drawImage(0, 0, image_);
  }
  image_ = std::move(grown);
}

}  // namespace tesmiro::gui
