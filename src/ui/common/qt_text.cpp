#include "ui/common/qt_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace tesmiro::gui {
namespace {

uint32_t Bgr(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

QFont FontOf(const QStringList& families, int pointSize, bool bold) {
  QFont f;
  f.setFamilies(families);
  f.setPointSize(pointSize);
  f.setBold(bold);
  return f;
}

}  // namespace

uint32_t SystemColor(int32_t index, const QPalette& p) {
  switch (index) {
    case 5: return Bgr(p.color(QPalette::Active, QPalette::Base));
    case 8: return Bgr(p.color(QPalette::Active, QPalette::Text));
    case 13: return Bgr(p.color(QPalette::Active, QPalette::Highlight));
    case 14: return Bgr(p.color(QPalette::Active, QPalette::HighlightedText));
    case 15: return Bgr(p.color(QPalette::Active, QPalette::Button));
    case 20: return Bgr(p.color(QPalette::Active, QPalette::Light));
    case 21: return Bgr(p.color(QPalette::Active, QPalette::Shadow));
    default: return 0;
  }
}

uint32_t SystemColor(int32_t index) { return SystemColor(index, QApplication::palette()); }

QColor ToQColor(uint32_t colour) {
  if ((colour & 0xFF000000u) == 0x80000000u) colour = SystemColor(static_cast<int32_t>(colour & 0xFFFFFF));
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& colour) { return Bgr(colour.toRgb()); }

int TwipsToPixels(double twips) {
  if (!std::isfinite(twips)) return 0;
  // Far beyond any screen, but never beyond what a widget size can hold.
  constexpr double kLimit = 1 << 20;
  return static_cast<int>(std::lround(std::clamp(twips / kTwipsPerPixel, -kLimit, kLimit)));
}

KeyCode MapKey(const QKeyEvent& e) {
  KeyCode k;
  const Qt::KeyboardModifiers m = e.modifiers();
  if (m & Qt::ShiftModifier) k.shift |= kShiftMask;
  if (m & Qt::ControlModifier) k.shift |= kCtrlMask;
  if (m & Qt::AltModifier) k.shift |= kAltMask;
  const int key = e.key();
  const bool keypad = (m & Qt::KeypadModifier) != 0;
  if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) {
    k.code = 96 + (key - Qt::Key_0);
    return k;
  }
  if (!keypad) {
    // The character, not the key: Shift+";" gives "+" on this keyboard.
    switch (key) {
      case Qt::Key_Colon: case Qt::Key_Asterisk: k.code = 186; return k;
      case Qt::Key_Semicolon: case Qt::Key_Plus: case Qt::Key_Equal: k.code = 187; return k;
      case Qt::Key_Comma: case Qt::Key_Less: k.code = 188; return k;
      case Qt::Key_Period: case Qt::Key_Greater: k.code = 190; return k;
      default: break;
    }
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) k.code = 65 + (key - Qt::Key_A);
  else if (key >= Qt::Key_0 && key <= Qt::Key_9) k.code = 48 + (key - Qt::Key_0);
  else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) k.code = 112 + (key - Qt::Key_F1);
  else {
    switch (key) {
      case Qt::Key_Backspace: k.code = 8; break;
      case Qt::Key_Tab: case Qt::Key_Backtab: k.code = 9; break;
      case Qt::Key_Return: case Qt::Key_Enter: k.code = 13; break;
      case Qt::Key_Shift: k.code = 16; break;
      case Qt::Key_Control: k.code = 17; break;
      case Qt::Key_Alt: k.code = 18; break;
      case Qt::Key_Escape: k.code = 27; break;
      case Qt::Key_Space: k.code = 32; break;
      case Qt::Key_PageUp: k.code = 33; break;
      case Qt::Key_PageDown: k.code = 34; break;
      case Qt::Key_End: k.code = 35; break;
      case Qt::Key_Home: k.code = 36; break;
      case Qt::Key_Left: k.code = 37; break;
      case Qt::Key_Up: k.code = 38; break;
      case Qt::Key_Right: k.code = 39; break;
      case Qt::Key_Down: k.code = 40; break;
      case Qt::Key_Insert: k.code = 45; break;
      case Qt::Key_Delete: k.code = 46; break;
      default: break;
    }
  }
  return k;
}

QFont ListFont(int pointSize) {
  return FontOf({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")}, pointSize, false);
}

QFont PanelFont(int pointSize, bool bold) {
  return FontOf({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}, pointSize, bold);
}

}  // namespace tesmiro::gui
