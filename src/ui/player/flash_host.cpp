#include "ui/player/flash_host.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/player/ruffle_flash_view.h"

namespace tesmiro::player {
namespace {

FlashHostFactory& Factory() {
  static FlashHostFactory factory;
  return factory;
}

UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}

}  // namespace

FlashHost* CreateFlashHost(QWidget* parent) {
  if (Factory()) return Factory()(parent);
  return new RuffleFlashView(parent);
}

ScopedFlashHostFactory::ScopedFlashHostFactory(FlashHostFactory factory) : previous_(std::move(Factory())) {
  Factory() = std::move(factory);
}

ScopedFlashHostFactory::~ScopedFlashHostFactory() { Factory() = std::move(previous_); }

void OpenExternalUrl(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("mailto")) return;
  if (Opener()) {
    Opener()(url);
    return;
  }
  QDesktopServices::openUrl(url);
}

ScopedUrlOpener::ScopedUrlOpener(UrlOpener opener) : previous_(std::move(Opener())) { Opener() = std::move(opener); }

ScopedUrlOpener::~ScopedUrlOpener() { Opener() = std::move(previous_); }

}  // namespace tesmiro::player
