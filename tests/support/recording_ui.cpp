#include "support/recording_ui.h"

namespace tesmiro::testing {

RecordingUi::RecordingUi() : previous_(ui::Current()) { ui::Install({this, this, this}); }

RecordingUi::~RecordingUi() { ui::Install(previous_); }

ui::Answer RecordingUi::message(const std::string& title, const std::string& text, ui::Icon icon,
                                ui::Buttons buttons) {
  if (whileShown) whileShown();
  messages.push_back({title, text, icon, buttons});
  if (!answers.empty()) {
    ui::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  return (buttons == ui::Buttons::YesNo || buttons == ui::Buttons::YesNoCancel) ? ui::Answer::Yes
                                                                                 : ui::Answer::Ok;
}

bool RecordingUi::step(const std::string& line) {
  progressLines.push_back(line);
  return cancelAtStep > 0 && static_cast<int>(progressLines.size()) >= cancelAtStep;
}

void RecordingUi::showPreview(const std::string& path, ui::PreviewTarget target, int32_t w, int32_t h) {
  calls.push_back("showPreview " + path + " " + std::to_string(static_cast<int>(target)) + " " + std::to_string(w) +
                  "x" + std::to_string(h));
}

}  // namespace tesmiro::testing
