#pragma once
// The live picture inside the event property dialog: the pane reads and
// writes the dialog's boxes through this adaptor, and the dialog's expander
// and layout place the pane (event_dialog_picture.cpp).
#include "ui/dialogs/live_picture_pane.h"

namespace tesmiro::gui {

class EventDialog;

class EventDialogPicture final : public PictureDialog {
 public:
  explicit EventDialogPicture(EventDialog& dialog) : d_(dialog) {}
  LivePicture::PictureFields pictureFields() const override;
  int operatedImage() const override;
  void showOperatedImage(int image) override;
  bool onlyOperated() const override;
  bool realTime() const override;
  bool guideEditing() const override;
  bool motionShown() const override;
  bool isFilling() const override;
  void writeBox(LivePicture::Box box, const std::string& text) override;
  void markChanged() override;
  ProjectSettings stageInfo() const override;
  LivePicture::MaterialSize materialSize(int32_t itemId) const override;

 private:
  EventDialog& d_;
};

}  // namespace tesmiro::gui
