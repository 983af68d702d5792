#pragma once
// The colour transform and filters of one event state. Part of every event
// record (and of its bytes in project files); read in full by the placement
// writer.
#include <array>
#include <cstdint>

namespace tesmiro {

struct FilterParams {
  int32_t color1 = 0;  // &HAABBGGRR, top byte the opacity
  int32_t color2 = 0;  // second colour (bevel)
  float blurX = 0;
  float blurY = 0;
  float angle = 0;  // degrees
  float distance = 0;
  float strength = 0;
  int32_t quality = 0;  // pass count
  int16_t hideObject = 0;
  int16_t knockout = 0;
  int32_t mode = 0;  // 0 outer, 1 inner, 2 both

  bool operator==(const FilterParams&) const = default;
};

struct FilterState {
  int16_t inUse = 0;
  int16_t colorTransform = 0;  // -1 on
  std::array<float, 4> multiply{1.0f, 1.0f, 1.0f, 1.0f};  // R, G, B, A; 1.0 unchanged
  std::array<int32_t, 4> add{0, 0, 0, 0};
  int16_t dropShadow = 0;
  FilterParams dropShadowParams;
  int16_t blur = 0;
  FilterParams blurParams;
  int16_t glow = 0;
  FilterParams glowParams;
  int16_t bevel = 0;
  FilterParams bevelParams;
  int16_t colorMatrix = 0;
  std::array<float, 20> matrix{};  // four rows of four factors and an offset, red row first

  bool anyFilter() const { return dropShadow != 0 || blur != 0 || glow != 0 || bevel != 0 || colorMatrix != 0; }
  bool operator==(const FilterState&) const = default;
};

}  // namespace tesmiro
