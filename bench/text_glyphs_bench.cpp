// Embedding many distinct Japanese characters into one font: outlines read,
// encoded and sorted into the glyph table, then the DefineFont2 and a
// DefineText2 that uses them all.
#include <benchmark/benchmark.h>

#include <string>

#include "media/text/text_definitions.h"
#include "swf/swf_writer.h"

namespace {

using namespace tesmiro;

text::FontSurface Gothic() {
  text::FontSurface s;
  s.name = "ＭＳ ゴシック";
  return s;
}

// The first n ideographs from U+4E00 on that the font draws.
std::string Ideographs(int n) {
  std::string chars;
  for (uint32_t c = 0x4E00; n > 0 && c < 0xA000; ++c) {
    std::string one{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
    if (FOutLine::GetGlyphOutline(Gothic(), one).contourCount == 0) continue;
    chars += one;
    --n;
  }
  return chars;
}

void BM_EmbedJapaneseGlyphs(benchmark::State& state) {
  const std::string chars = Ideographs(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    SWFMakeCore::WriteSWFHeader(6, 400, 300, 12);
    int32_t fontID = 1, width = 0, height = 0;
    std::string key;
    SWFMakeCore::BuildGlyphTable(Gothic(), chars, SWFMakeCore::kOriginCellTop, fontID, key);
    SWFMakeCore::WriteDefineFont2(1, key, 0, 0);
    SWFMakeCore::WriteDefineText2(2, 1, 480, 0, chars, width, height, SWFMakeCore::kAlignLeft, 0);
    benchmark::DoNotOptimize(SWFMakeCore::OutputBuffer().data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EmbedJapaneseGlyphs)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
