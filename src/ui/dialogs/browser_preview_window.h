#pragma once
// The browser preview in a bare browser window of the program's own, sized
// to the stage, without address, menu, tool or status bar: what the first
// box of the preview options asks for, in place of driving a particular
// browser. The page is the preview page served with the web player; it
// cannot navigate away from the preview's folder.
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace tesmiro::player {
class WebPage;
}

namespace tesmiro::gui {

class BrowserPreviewWindow : public QWidget {
  Q_OBJECT

 public:
  // Shows `url` in the one window (made on first use, belonging to
  // `owner`), `width` + 50 by `height` + 65 pixels as the stage asks. Null
  // when the web engine library cannot be loaded.
  static BrowserPreviewWindow* open(QWidget* owner, const QUrl& url, int width, int height);
  static BrowserPreviewWindow* instance() { return instance_; }
  player::WebPage* page() const { return page_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  explicit BrowserPreviewWindow(QWidget* parent);
  ~BrowserPreviewWindow() override;
  static inline BrowserPreviewWindow* instance_ = nullptr;
  player::WebPage* page_ = nullptr;
};

}  // namespace tesmiro::gui
