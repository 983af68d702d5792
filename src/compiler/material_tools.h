#pragma once
// What the material dialog asks of the media code besides the property
// exchange: the measured box of a static text, the colour of a picture's
// top-left pixel, whether two vector images can morph, a video's key
// frames, and the summary of a text effect.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/result.h"
#include "project/records.h"
#include "project/store_property_exchange.h"

namespace tesmiro::GUICore {

// The box the item's text lays out to as a static text in its embedded font
// (pixels). It is written through a scratch writer of its own, so the
// writer state of a build or of a cached preview is left exactly as it was;
// nullopt while a build or preview runs.
std::optional<StoreProperty::TextBox> MeasureStaticText(const StoreItem& item);

// The colour (0x00BBGGRR) of the top-left pixel of the picture a path (as
// the dialog's file box holds it) names; the failure names the file and
// says why it cannot be loaded.
Result<uint32_t> TopLeftColour(const std::string& path);

// "モーフィング可能", or "Error:" and why the vector item `id` cannot morph
// into the vector item `targetId`.
std::string MorphCheckVerdict(int32_t id, int32_t targetId);

// The key frame before (direction < 0) or after (> 0) `frame` of the video
// the path names; `frame` when there is none or the file is no video.
int32_t FindKeyFrame(const std::string& path, int32_t frame, int32_t direction);

// The text-effect box's summary of a settings string: in and out templates
// with their frames and the total, or "設定なし".
std::string TextEffectSummary(const std::string& settings);

}  // namespace tesmiro::GUICore
