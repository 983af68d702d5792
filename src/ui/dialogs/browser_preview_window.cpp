#include "ui/dialogs/browser_preview_window.h"

#include <QResizeEvent>
#include <algorithm>

#include "ui/player/flash_host.h"
#include "ui/player/loopback_server.h"
#include "ui/player/web_engine_loader.h"
#include "ui/player/web_page.h"

namespace tesmiro::gui {

BrowserPreviewWindow* BrowserPreviewWindow::open(QWidget* owner, const QUrl& url, int width, int height) {
  if (!instance_) {
    player::WebEngine* engine = player::LoadedWebEngine();
    if (!engine) return nullptr;
    auto* w = new BrowserPreviewWindow(owner);
    player::WebPageHooks hooks;
    hooks.titleChanged = [w](const QString& title) { w->setWindowTitle(title); };
    hooks.openLink = [](const QUrl& link) { player::OpenExternalUrl(link); };
    if (const player::LoopbackServer* server = player::LoopbackServer::shared())
      hooks.ownServer = server->url(QString()).adjusted(QUrl::RemovePath);
    w->page_ = engine->createPage(w, player::WebPageKind::Browser, std::move(hooks));
    instance_ = w;
  }
  BrowserPreviewWindow* w = instance_;
  // The pages of the preview's folder may link to each other.
  QUrl folder = url.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment);
  w->page_->allowBelow(folder);
  w->resize(std::clamp(width, 1, 8192) + 50, std::clamp(height, 1, 8192) + 65);
  w->page_->load(url);
  w->show();
  w->raise();
  return w;
}

BrowserPreviewWindow::BrowserPreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("BrowserPreviewWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
}

BrowserPreviewWindow::~BrowserPreviewWindow() {
  if (instance_ == this) instance_ = nullptr;
  delete page_;
}

void BrowserPreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (page_) page_->widget()->setGeometry(rect());
}

}  // namespace tesmiro::gui
