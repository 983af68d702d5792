#include "ui/main/kvg_painter.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "media/vector/vector_shape.h"

namespace tesmiro::gui {
namespace {

using ShapeModule::KvgShape;

// Gradients span this square (twips) before their matrix places them.
constexpr double kGradientHalf = 16384.0;
constexpr double kTwipsPerPixel = 20.0;

QColor Rgba(int32_t c) {
  const auto u = static_cast<uint32_t>(c);
  return QColor(static_cast<int>(u & 255), static_cast<int>((u >> 8) & 255), static_cast<int>((u >> 16) & 255),
                static_cast<int>((u >> 24) & 255));
}

bool HasPath(const KvgShape& s) { return s.lastPoint >= 1 && s.points.size() >= 2; }
int32_t FillKind(const KvgShape& s) { return s.closed ? s.fillKind : ShapeModule::kFillNone; }
bool Outlined(const KvgShape& s) { return s.closed ? s.outline > 0 : true; }

void AddPath(QPainterPath& path, const KvgShape& shape) {
  const SWFMakeCore::PathOutline outline = SWFMakeCore::TracePath(shape);
  if (outline.edges.empty()) return;
  path.moveTo(static_cast<double>(outline.startX), static_cast<double>(outline.startY));
  for (const auto& e : outline.edges) {
    if (e.curved) {
      path.quadTo(static_cast<double>(e.cx), static_cast<double>(e.cy), static_cast<double>(e.ax),
                  static_cast<double>(e.ay));
    } else {
      path.lineTo(static_cast<double>(e.ax), static_cast<double>(e.ay));
    }
  }
}

// The stops as the movie keeps them: up to six between the end colours,
// a reflected gradient mirrored round its middle.
QGradientStops Stops(const KvgShape& s, int32_t kind) {
  const int32_t have = std::clamp(std::min(s.stopCount, static_cast<int32_t>(s.stops.size())), 0, 6);
  const int32_t k = kind == ShapeModule::kFillReflected ? std::min(have, 2) : have;
  auto ratio = [&](int32_t i) { return std::clamp(s.stop(i).ratio, 0, 255); };
  QGradientStops stops{{0.0, Rgba(s.color1)}};
  if (kind == ShapeModule::kFillReflected) {
    for (int32_t i = 1; i <= k; ++i) stops.append({(ratio(i) / 2) / 255.0, Rgba(s.stop(i).color)});
    stops.append({128 / 255.0, Rgba(s.color2)});
    for (int32_t i = k; i >= 1; --i) stops.append({(255 - ratio(i) / 2) / 255.0, Rgba(s.stop(i).color)});
    stops.append({1.0, Rgba(s.color1)});
  } else {
    for (int32_t i = 1; i <= k; ++i) stops.append({ratio(i) / 255.0, Rgba(s.stop(i).color)});
    stops.append({1.0, Rgba(s.color2)});
  }
  // Equal positions would make Qt drop a stop; keep them in order.
  for (int i = 1; i < stops.size(); ++i) {
    if (stops[i].first < stops[i - 1].first) stops[i].first = stops[i - 1].first;
  }
  return stops;
}

QBrush FillBrush(const KvgShape& s, int32_t kind) {
  if (kind == ShapeModule::kFillSolid) return QBrush(Rgba(s.color1));
  QGradient gradient = kind == ShapeModule::kFillRadial
                           ? static_cast<QGradient>(QRadialGradient(0, 0, kGradientHalf))
                           : static_cast<QGradient>(QLinearGradient(-kGradientHalf, 0, kGradientHalf, 0));
  gradient.setStops(Stops(s, kind));
  QBrush brush(gradient);
  const double a = static_cast<double>(s.angle) * std::numbers::pi / 180.0;
  const double sx = s.scaleX, sy = s.scaleY;
  brush.setTransform(QTransform(sx * std::cos(a), sx * std::sin(a), -sy * std::sin(a), sy * std::cos(a), s.centerX,
                                s.centerY));
  return brush;
}

void Outline(QPainter& painter, const KvgShape& s, const QPainterPath& path) {
  if (!Outlined(s)) return;
  QPen pen(Rgba(s.lineColor));
  pen.setWidthF(SWFMakeCore::DrawnLineWidth(s.lineWidth));  // 0: a hairline
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.strokePath(path, pen);
}

}  // namespace

void PaintKvg(QPainter& painter, const ShapeModule::KvgImage& image, const QSizeF& declared, const QRectF& target) {
  if (declared.width() <= 0 || declared.height() <= 0 || target.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setClipRect(target);
  painter.translate(target.topLeft());
  painter.scale(target.width() / (declared.width() * kTwipsPerPixel),
                target.height() / (declared.height() * kTwipsPerPixel));

  const int32_t count = std::min(image.count, static_cast<int32_t>(image.shapes.size()));
  std::vector<bool> drawn(static_cast<size_t>(count) + 1, false);
  for (int32_t i = 1; i <= count; ++i) {
    if (drawn[static_cast<size_t>(i)]) continue;
    const KvgShape& first = image.shape(i);
    if (!HasPath(first)) continue;
    // A compound group fills as one path with holes where members overlap.
    QPainterPath fill;
    fill.setFillRule(Qt::OddEvenFill);
    std::vector<int32_t> members{i};
    if (first.compound) {
      for (int32_t j = i + 1; j <= count; ++j) {
        const KvgShape& s = image.shape(j);
        if (s.compound && s.group == first.group && HasPath(s)) members.push_back(j);
      }
    }
    // Members without a fill of their own add no edges to the group's fill.
    for (int32_t j : members) {
      drawn[static_cast<size_t>(j)] = true;
      if (FillKind(image.shape(j)) >= ShapeModule::kFillSolid) AddPath(fill, image.shape(j));
    }
    const int32_t kind = FillKind(first);
    if (kind >= ShapeModule::kFillSolid && kind <= ShapeModule::kFillRadial) {
      painter.fillPath(fill, FillBrush(first, kind));
    }
    for (int32_t j : members) {
      QPainterPath line;
      AddPath(line, image.shape(j));
      Outline(painter, image.shape(j), line);
    }
  }
  painter.restore();
}

}  // namespace tesmiro::gui
