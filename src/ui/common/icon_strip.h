#pragma once
// The strip of eight 16 x 16 icons that both lists draw from: raster image,
// sound, text, sprite, vector image, video, closed folder, open folder. The
// user's strip (the preference "IconFilePath": a BMP or JPEG of exactly
// 128 x 16) replaces the built-in one; any other file is ignored.
#include <QPixmap>
#include <QRect>
#include <string>

namespace tesmiro::gui {

inline constexpr int kIconSize = 16;
inline constexpr int kIconCells = 8;

// The strip for the current preference (read again when the path changes).
const QPixmap& IconStrip();
// The strip the program ships.
QPixmap BuiltInIconStrip();
// The user's strip at the path, or a null pixmap when it is not usable.
QPixmap LoadIconStrip(const std::string& path);
// Cell k (1 to 8) of the strip.
inline QRect IconCell(int k) { return QRect((k - 1) * kIconSize, 0, kIconSize, kIconSize); }

}  // namespace tesmiro::gui
