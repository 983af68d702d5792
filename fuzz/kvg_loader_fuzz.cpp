// libFuzzer target: the KVG loader on arbitrary bytes, and the shape encoders
// on whatever it accepts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "media/vector/kvg.h"
#include "media/vector/vector_shape.h"
#include "swf/swf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesmiro;
  ShapeModule::KvgImage image =
      ShapeModule::LoadKVGFromBytes(std::string_view(reinterpret_cast<const char*>(data), size))
          .value_or(ShapeModule::KvgImage{});
  if (image.count > 0) {
    const auto bounds = ShapeModule::GetKVGBounds(image);
    SWFMakeCore::WriteVectorShape(1, image, bounds, true);
    SWFMakeCore::WriteVectorShape(2, image, bounds, false);
    SWFMakeCore::WriteDefineMorphShape(3, image, image, bounds, bounds);
    SWFMakeCore::OutputBuffer().clear();
  }
  return 0;
}
