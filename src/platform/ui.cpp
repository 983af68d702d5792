#include "platform/ui.h"

namespace tesmiro::ui {
namespace {

class SilentMessages final : public Messages {
 public:
  Answer message(const std::string&, const std::string&, Icon, Buttons buttons) override {
    switch (buttons) {
      case Buttons::YesNo:
      case Buttons::YesNoCancel:
        return Answer::Yes;
      default:
        return Answer::Ok;
    }
  }
  void status(const std::string&) override {}
};

class SilentProgress final : public BuildProgress {
 public:
  bool step(const std::string&) override { return false; }
};

SilentMessages gSilentMessages;
SilentProgress gSilentProgress;
Services gCurrent{&gSilentMessages, &gSilentProgress, nullptr};

}  // namespace

Services& Current() { return gCurrent; }

void Install(const Services& services) {
  gCurrent.messages = services.messages ? services.messages : &gSilentMessages;
  gCurrent.progress = services.progress ? services.progress : &gSilentProgress;
  gCurrent.windows = services.windows;
}

}  // namespace tesmiro::ui
