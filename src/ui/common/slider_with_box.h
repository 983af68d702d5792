#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QScrollBar;

namespace tesmiro::gui {

// A bar and the number box beside it, kept in step: moving the bar writes the
// box, and a box that reads as a value on the bar moves it. The two controls
// stay the dialog's own (their names, places and tab order come from its
// table); this only joins them.
class SliderWithBox : public QObject {
 public:
  struct Options {
    // What the box shows for a value of the bar.
    std::function<QString(int)> text = [](int v) { return QString::number(v); };
    // The bar's value the box's text asks for, given the bar's range; none leaves the bar alone.
    std::function<std::optional<int>(const std::string& text, int min, int max)> value;
    // The box keeps what the user is typing while it reads as the bar's value.
    bool keepTypedText = false;
    // The box's change made by writing it from the bar does not reach back to the bar.
    bool muteOwnWrite = false;
    // While this is true neither side writes the other (the dialog is loading).
    const bool* paused = nullptr;
  };

  SliderWithBox(QScrollBar* slider, QLineEdit* box, Options options, QObject* parent);

  // Run after the bar moved and the box was written.
  void onMoved(std::function<void()> handler) { moved_ = std::move(handler); }
  // Run after the box changed and the bar took its value.
  void onEdited(std::function<void()> handler) { edited_ = std::move(handler); }

  // Does what a move of the bar does, also when its value did not change.
  void showValue();

  QScrollBar* slider() const { return slider_; }
  QLineEdit* box() const { return box_; }
  int value() const;
  void setValue(int v);

 private:
  bool paused() const { return options_.paused && *options_.paused; }
  std::optional<int> boxValue() const;
  void takeBox();

  QScrollBar* slider_;
  QLineEdit* box_;
  Options options_;
  bool writing_ = false;
  std::function<void()> moved_;
  std::function<void()> edited_;
};

}  // namespace tesmiro::gui
