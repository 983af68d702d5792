// The image probes and decoders on arbitrary bytes: every format's reader
// sees every input, as a file may carry any signature.
#include <cstddef>
#include <cstdint>
#include <span>

#include "media/image/decoders.h"
#include "media/image/get_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  using namespace tesmiro;
  (void)GetImage::ProbeBMP(bytes);
  (void)GetImage::ProbeGIF(bytes);
  (void)GetImage::ProbeJPEG(bytes);
  (void)GetImage::ProbePNG(bytes);
  (void)GetImage::ProbeKVG(bytes);
  (void)GetImage::ProbeFLV(bytes);
  (void)GetImage::GetFLVDetails(bytes);
  (void)GetImage::FindFLVKeyFrame(bytes, 3, -1);
  (void)image::DecodeBMP(bytes);
  (void)image::DecodeGIF(bytes);
  (void)image::DecodePNG(bytes);
  (void)image::DecodeJPEG(bytes);
  return 0;
}
