#include "support/fake_flash_host.h"

#include <QFileInfo>
#include <QPainter>

namespace tesmiro::testing {

FakeFlashHost::FakeFlashHost(QWidget* parent) : FlashHost(parent) {}

void FakeFlashHost::loadMovie(const QString& path) {
  calls << QStringLiteral("load ") + path;
  showFailure({});
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    release();
    return;
  }
  path_ = path;
  frame_ = -1;
  total_ = 0;
  playing_ = false;
  if (loadsAtOnce) finishLoad();
}

void FakeFlashHost::finishLoad() {
  total_ = framesOnLoad;
  frame_ = 0;
  playing_ = true;
  emit loaded(total_);
  report();
}

void FakeFlashHost::release() {
  calls << QStringLiteral("release");
  path_.clear();
  frame_ = -1;
  total_ = 0;
  playing_ = false;
  update();
}

void FakeFlashHost::play() {
  calls << QStringLiteral("play");
  if (path_.isEmpty()) return;
  playing_ = true;
  report();
}

void FakeFlashHost::stop() {
  calls << QStringLiteral("stop");
  if (path_.isEmpty()) return;
  playing_ = false;
  report();
}

void FakeFlashHost::gotoFrame(int frame) {
  calls << QStringLiteral("goto %1").arg(frame);
  if (path_.isEmpty()) return;
  frame_ = std::clamp(frame, 0, std::max(total_ - 1, 0));
  playing_ = false;
  report();
}

void FakeFlashHost::advance(int frames) {
  if (!playing_ || total_ < 1) return;
  for (int i = 0; i < frames; ++i) frame_ = (frame_ + 1) % total_;
  report();
}

void FakeFlashHost::movieStops() {
  playing_ = false;
  report();
}

void FakeFlashHost::movieStarts() {
  playing_ = true;
  report();
}

void FakeFlashHost::reportFrame(int frame) {
  frame_ = frame;
  report();
}

void FakeFlashHost::sendFsCommand(const QString& command, const QString& args) { emit fsCommand(command, args); }

void FakeFlashHost::setBackgroundColor(uint32_t rgb) {
  calls << QStringLiteral("background %1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0'));
  background_ = rgb & 0xFFFFFF;
  update();
}

std::optional<QString> FakeFlashHost::variable(const QString&) const { return std::nullopt; }

void FakeFlashHost::grabPictures(const QList<uint32_t>& backgrounds, std::function<void(QList<QImage>)> done) {
  calls << QStringLiteral("grab %1").arg(backgrounds.size());
  if (grabFails) {
    done({});
    return;
  }
  QList<QImage> pictures;
  for (uint32_t bg : backgrounds) pictures << render(bg == player::kShownBackground ? background_ : bg);
  done(pictures);
}

QImage FakeFlashHost::render(uint32_t rgb) const {
  QImage image(size(), QImage::Format_RGB32);
  image.fill(QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  QPainter p(&image);
  if (!picture.isNull()) {
    p.drawImage(0, 0, picture);
  } else if (!path_.isEmpty()) {
    p.fillRect(std::max(frame_, 0) * 4 % std::max(width() - 8, 1), 0, 8, 8, Qt::black);
  }
  return image;
}

void FakeFlashHost::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, render(background_));
}

void FakeFlashHost::report() {
  emit frameReported(frame_, playing_);
  update();
}

FakeFlashHosts::FakeFlashHosts(bool keepable)
    : scope_([this, keepable](QWidget* parent) {
        auto* host = new FakeFlashHost(parent);
        host->keepable = keepable;
        hosts_.emplace_back(host);
        return host;
      }) {}

FakeFlashHost* FakeFlashHosts::last() const { return hosts_.empty() ? nullptr : hosts_.back().data(); }

}  // namespace tesmiro::testing
