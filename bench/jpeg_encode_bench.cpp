// Re-encoding a 1920 x 1080 picture to JPEG at quality 90: our path beside
// libjpeg-turbo's own tjCompress2 on the same pixels.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include "media/image/jpeg_library.h"

namespace {

tesmiro::cDIBSection FullHdPicture() {
  tesmiro::cDIBSection dib;
  dib.Create(1920, 1080);
  uint8_t* bits = dib.DIBSectionBitsPtr();
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width() * 3; ++x)
      bits[static_cast<size_t>(y) * static_cast<size_t>(dib.BytesPerScanLine()) + static_cast<size_t>(x)] =
          static_cast<uint8_t>((x * 7 + y * 3) ^ ((x * y) >> 7));
  return dib;
}

void BM_OurEncoder(benchmark::State& state) {
  const tesmiro::cDIBSection dib = FullHdPicture();
  for (auto _ : state) {
    auto jpeg = tesmiro::mIntelJPEGLibrary::EncodeJPEG(dib, 90);
    benchmark::DoNotOptimize(jpeg.data.data());
  }
}
BENCHMARK(BM_OurEncoder)->Unit(benchmark::kMillisecond);

void BM_TjCompress2(benchmark::State& state) {
  const tesmiro::cDIBSection dib = FullHdPicture();
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  for (auto _ : state) {
    tjCompress2(handle, dib.DIBSectionBitsPtr(), dib.Width(), dib.BytesPerScanLine(), dib.Height(), TJPF_BGR, &out,
                &size, TJSAMP_420, 90, 0);
    benchmark::DoNotOptimize(out);
  }
  tjFree(out);
  tjDestroy(handle);
}
BENCHMARK(BM_TjCompress2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
