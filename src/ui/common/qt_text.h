#pragma once
// The only conversions between the core's values and Qt's: UTF-8 text,
// 0x00BBGGRR colours (and the system colours 0x800000nn), twips, key codes
// and the program's fonts.
#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

class QKeyEvent;
class QPalette;

namespace tesmiro::gui {

inline QString ToQ(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string FromQ(const QString& s) { return s.toStdString(); }

// 0x00BBGGRR -> QColor; a system colour takes its palette colour.
QColor ToQColor(uint32_t colour);
// QColor -> 0x00BBGGRR.
uint32_t FromQColor(const QColor& colour);
// The palette colour for a system colour index (5 window, 8 window text,
// 13 highlight, 14 highlight text, 15 button face, 20 highlight edge,
// 21 dark shadow), as 0x00BBGGRR.
uint32_t SystemColor(int32_t index);
uint32_t SystemColor(int32_t index, const QPalette& palette);

// Stored window positions are twips, 15 to a pixel.
inline constexpr int kTwipsPerPixel = 15;
int TwipsToPixels(double twips);
inline double PixelsToTwips(int pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

// Shift mask of the key handlers.
enum KeyShift : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };
struct KeyCode {
  int code = 0;   // the program's key code (letters 65-90, digits 48-57, F1 112, ...); 0 unknown
  int shift = 0;  // KeyShift bits
};
// Punctuation keys are told by the character they produce, as on the
// Japanese keyboard: 186 ":" "*", 187 ";" "+" "=", 188 "," "<", 190 "." ">";
// the keypad never gives them. Digits of the keypad give 96-105.
KeyCode MapKey(const QKeyEvent& event);

// Fonts by family list: the lists, the panels.
QFont ListFont(int pointSize);
QFont PanelFont(int pointSize, bool bold = false);

}  // namespace tesmiro::gui
