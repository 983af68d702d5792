#pragma once
// A vector material drawn straight from its loaded KVG file: each path with
// its fill (solid or gradient) and outline, compound groups as one even-odd
// fill, the image's declared size mapped onto the target rectangle.
#include <QRectF>
#include <QSizeF>

#include "media/vector/kvg.h"

class QPainter;

namespace tesmiro::gui {

// `declared` is the image's size in pixels (its header); points are twips.
void PaintKvg(QPainter& painter, const ShapeModule::KvgImage& image, const QSizeF& declared, const QRectF& target);

}  // namespace tesmiro::gui
