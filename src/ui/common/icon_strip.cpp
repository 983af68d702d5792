#include "ui/common/icon_strip.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "media/image/get_image.h"
#include "project/preferences.h"
#include "ui/common/qt_text.h"

namespace tesmiro::gui {
namespace {

// Each cell drawn with a few strokes on a transparent ground.
void DrawCell(QPainter& p, int cell) {
  p.save();
  p.translate(cell * kIconSize, 0);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor ink(40, 40, 40);
  p.setPen(ink);
  switch (cell) {
    case 0:  // raster image: a framed landscape
      p.fillRect(1, 2, 14, 12, QColor(170, 210, 250));
      p.setBrush(QColor(60, 150, 60));
      p.drawPolygon(QPolygon({QPoint(2, 13), QPoint(7, 7), QPoint(10, 10), QPoint(12, 8), QPoint(14, 13)}));
      p.setBrush(Qt::NoBrush);
      p.drawRect(1, 2, 13, 11);
      break;
    case 1:  // sound: a note
      p.setBrush(ink);
      p.drawEllipse(3, 10, 4, 3);
      p.drawEllipse(9, 9, 4, 3);
      p.drawLine(6, 11, 6, 2);
      p.drawLine(12, 10, 12, 1);
      p.drawLine(6, 2, 12, 1);
      break;
    case 2:  // text: a letter on a page
      p.fillRect(2, 1, 12, 14, Qt::white);
      p.drawRect(2, 1, 11, 13);
      p.drawLine(5, 12, 8, 4);
      p.drawLine(8, 4, 11, 12);
      p.drawLine(6, 9, 10, 9);
      break;
    case 3:  // sprite: a film frame with a star
      p.fillRect(1, 3, 14, 10, QColor(250, 230, 150));
      p.drawRect(1, 3, 13, 9);
      p.setBrush(QColor(220, 120, 20));
      p.drawPolygon(QPolygon({QPoint(8, 4), QPoint(9, 7), QPoint(12, 7), QPoint(10, 9), QPoint(11, 12), QPoint(8, 10),
                              QPoint(5, 12), QPoint(6, 9), QPoint(4, 7), QPoint(7, 7)}));
      break;
    case 4: {  // vector image: a curve with its handles
      QPainterPath path(QPointF(2, 13));
      path.cubicTo(QPointF(4, 2), QPointF(11, 14), QPointF(14, 3));
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(QPen(QColor(30, 80, 200), 1.5));
      p.drawPath(path);
      p.setPen(ink);
      p.fillRect(1, 12, 3, 3, Qt::white);
      p.drawRect(1, 12, 2, 2);
      p.fillRect(13, 2, 3, 3, Qt::white);
      p.drawRect(13, 2, 2, 2);
      break;
    }
    case 5:  // video: a strip of film
      p.fillRect(1, 2, 14, 12, QColor(60, 60, 60));
      for (int x = 2; x < 15; x += 3) {
        p.fillRect(x, 3, 2, 2, Qt::white);
        p.fillRect(x, 11, 2, 2, Qt::white);
      }
      p.fillRect(3, 6, 10, 4, QColor(150, 190, 240));
      break;
    case 6:  // closed folder
      p.setBrush(QColor(240, 200, 90));
      p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 4), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
      break;
    case 7:  // open folder
      p.setBrush(QColor(240, 200, 90));
      p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 4), QPoint(7, 5), QPoint(13, 5), QPoint(13, 7), QPoint(1, 7)}));
      p.setBrush(QColor(250, 225, 140));
      p.drawPolygon(QPolygon({QPoint(1, 13), QPoint(3, 7), QPoint(15, 7), QPoint(13, 13)}));
      break;
    default: break;
  }
  p.restore();
}

}  // namespace

QPixmap BuiltInIconStrip() {
  QImage image(kIconSize * kIconCells, kIconSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  for (int cell = 0; cell < kIconCells; ++cell) DrawCell(p, cell);
  p.end();
  return QPixmap::fromImage(image);
}

QPixmap LoadIconStrip(const std::string& path) {
  if (path.empty()) return {};
  const auto info = GetImage::GetImageInfo(path, GetImage::kByContent);
  const bool bitmapOrJpeg = info.kind == GetImage::kBMP || info.kind == GetImage::kJPEG;
  if (!bitmapOrJpeg || info.width != kIconSize * kIconCells || info.height != kIconSize) return {};
  QImage image;
  if (!image.load(ToQ(path)) || image.size() != QSize(kIconSize * kIconCells, kIconSize)) return {};
  return QPixmap::fromImage(image);
}

const QPixmap& IconStrip() {
  static std::string loadedPath;
  static QPixmap strip;
  static bool ready = false;
  const std::string& path = Prefs::Current().iconFilePath;
  if (!ready || path != loadedPath) {
    strip = LoadIconStrip(path);
    if (strip.isNull()) strip = BuiltInIconStrip();
    loadedPath = path;
    ready = true;
  }
  return strip;
}

}  // namespace tesmiro::gui
