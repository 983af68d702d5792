#include "ui/dialogs/browser_preview_window.h"

#include <QResizeEvent>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <algorithm>

#include "ui/main/main_gui.h"
#include "ui/player/guarded_page.h"
#include "ui/player/ruffle_flash_view.h"

namespace tesmiro::gui {

BrowserPreviewWindow* BrowserPreviewWindow::open(const QUrl& url, int width, int height) {
  if (!instance_) instance_ = new BrowserPreviewWindow(MainGUI::instance());
  BrowserPreviewWindow* w = instance_;
  auto* page = static_cast<player::GuardedPage*>(w->view_->page());
  // The pages of the preview's folder may link to each other.
  QUrl folder = url.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment);
  page->allowBelow(folder);
  w->resize(std::clamp(width, 1, 8192) + 50, std::clamp(height, 1, 8192) + 65);
  w->view_->load(url);
  w->show();
  w->raise();
  return w;
}

BrowserPreviewWindow::BrowserPreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("BrowserPreviewWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new QWebEngineView(this);
  auto* page = new player::GuardedPage(player::RuffleFlashView::sharedProfile(), this);
  page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
  page->settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  view_->setPage(page);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  connect(view_, &QWebEngineView::titleChanged, this, &QWidget::setWindowTitle);
}

BrowserPreviewWindow::~BrowserPreviewWindow() {
  if (instance_ == this) instance_ = nullptr;
  // The view goes before the page it shows.
  QWebEnginePage* page = view_->page();
  delete view_;
  delete page;
}

void BrowserPreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  view_->setGeometry(rect());
}

}  // namespace tesmiro::gui
