#include "ui/common/slider_with_box.h"

#include <QLineEdit>
#include <QScrollBar>

namespace tesmiro::gui {

SliderWithBox::SliderWithBox(QScrollBar* slider, QLineEdit* box, Options options, QObject* parent)
    : QObject(parent), slider_(slider), box_(box), options_(std::move(options)) {
  connect(slider_, &QScrollBar::valueChanged, this, [this] { showValue(); });
  connect(box_, &QLineEdit::textChanged, this, [this] { takeBox(); });
}

int SliderWithBox::value() const { return slider_->value(); }

void SliderWithBox::setValue(int v) { slider_->setValue(v); }

std::optional<int> SliderWithBox::boxValue() const {
  return options_.value(box_->text().toStdString(), slider_->minimum(), slider_->maximum());
}

void SliderWithBox::showValue() {
  const int v = slider_->value();
  if (!paused() && !(options_.keepTypedText && boxValue() == v)) {
    const bool wasWriting = writing_;
    writing_ = options_.muteOwnWrite;
    box_->setText(options_.text(v));
    writing_ = wasWriting;
  }
  if (moved_) moved_();
}

void SliderWithBox::takeBox() {
  if (paused() || writing_) return;
  if (const auto v = boxValue()) slider_->setValue(*v);
  if (edited_) edited_();
}

}  // namespace tesmiro::gui
