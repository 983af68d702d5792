// Compile throughput and peak heap of the ActionScript compiler: on a large
// generated script that mixes the constructs frame and handler scripts use,
// and on a corpus of ordinary frame scripts (compiled one by one, and joined
// into one large script).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "script/compiler.h"
#include "script_corpus.h"

// Every heap block of the program is counted, so that a compile's peak can
// be read as the most bytes it held at once on top of what was live before.
namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(void* p) {
  if (!p) throw std::bad_alloc();
  std::size_t live = gLive.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
  std::size_t peak = gPeak.load(std::memory_order_relaxed);
  while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
  }
  return p;
}
void Uncounted(void* p) {
  if (!p) return;
  gLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}
void* AlignedCounted(std::size_t size, std::align_val_t align) {
  std::size_t a = static_cast<std::size_t>(align);
  return Counted(std::aligned_alloc(a, (size + a - 1) / a * a));
}
}  // namespace

void* operator new(std::size_t size) { return Counted(std::malloc(size ? size : 1)); }
void* operator new[](std::size_t size) { return Counted(std::malloc(size ? size : 1)); }
void* operator new(std::size_t size, std::align_val_t align) { return AlignedCounted(size, align); }
void* operator new[](std::size_t size, std::align_val_t align) { return AlignedCounted(size, align); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { Uncounted(p); }
void operator delete(void* p, std::align_val_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Uncounted(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Uncounted(p); }

namespace {

using tesmiro::script::Target;

std::string GeneratedScript(std::size_t targetBytes, bool swf4) {
  std::string s;
  for (int i = 0; s.size() < targetBytes; ++i) {
    std::string n = std::to_string(i);
    if (swf4) {
      s += "// block " + n + "\n";
      s += "count" + n + " = count" + n + " + 1;\n";
      s += "if (_root.state.step" + n + " >= 3 and not done) {\n  tellTarget(\"/clip" + n +
           "\") { gotoAndPlay(\"label" + n + "\"); }\n  _root.mc._x += 2 * (" + n + " - 1);\n} else {\n";
      s += "  name = \"item\" add " + n + " add chr(65); while (k < 10) { k++; }\n}\n";
      s += "ifFrameLoaded(" + std::to_string(i % 100 + 1) + ") { setProperty(\"mc\", _alpha, k * 10); }\n";
      continue;
    }
    s += "// block " + n + "\n";
    s += "function step" + n + "(a:Number, b:String):Number {\n  var t = a * 2 + b.length;\n";
    s += "  for (var k in _root.items) { if (k == \"skip\") continue; t += _root.items[k].value; }\n";
    s += "  return t > 100 ? t % 100 : t;\n}\n";
    s += "var o" + n + " = {name: \"item" + n + "\", list: [1, 2.5, \"three\"], done: false};\n";
    s += "switch (o" + n + ".list.length) {\n  case 1: trace(\"one\"); break;\n  default: o" + n +
         ".done = step" + n + "(" + n + ", \"x\") == 3;\n}\n";
    s += "if (this.getBytesLoaded() >= this.getBytesTotal() && !o" + n + ".done) { this.gotoAndStop(" +
         std::to_string(i % 100 + 1) + "); } else { gotoAndPlay(\"label\"); }\n";
  }
  return s;
}

// The corpus joined again and again, each copy in a block of its own.
std::string JoinedCorpus(std::size_t targetBytes) {
  std::string s;
  while (s.size() < targetBytes)
    for (std::string_view script : tesmiro::bench::kFrameScripts) {
      s += "{\n";
      s += script;
      s += "}\n";
    }
  return s;
}

// Heap bytes the compile of `source` held at its peak (its result included),
// per source byte.
double PeakPerSourceByte(const std::string& source, Target target) {
  std::size_t before = gLive.load();
  gPeak.store(before);
  tesmiro::script::CompileResult r = tesmiro::script::Compile(source, target);
  benchmark::DoNotOptimize(r.actions.data());
  return static_cast<double>(gPeak.load() - before) / static_cast<double>(source.size());
}

void CompileLarge(benchmark::State& state, const std::string& source, Target target) {
  state.counters["peak_heap_per_source_byte"] = PeakPerSourceByte(source, target);
  for (auto _ : state) {
    tesmiro::script::CompileResult r = tesmiro::script::Compile(source, target);
    if (!r.ok()) {
      state.SkipWithError(r.error->message.c_str());
      break;
    }
    benchmark::DoNotOptimize(r.actions.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}

// Large, yet within the 16-bit limits: everything sits at the top level.
void BM_CompileSwf6(benchmark::State& state) {
  CompileLarge(state, GeneratedScript(static_cast<std::size_t>(state.range(0)), false), Target::Swf6);
}
void BM_CompileSwf4(benchmark::State& state) {
  CompileLarge(state, GeneratedScript(static_cast<std::size_t>(state.range(0)), true), Target::Swf4);
}
void BM_CompileFrameScriptsJoined(benchmark::State& state) {
  CompileLarge(state, JoinedCorpus(static_cast<std::size_t>(state.range(0))), Target::Swf6);
}

// One script at a time, as a movie build compiles them.
void BM_CompileFrameScripts(benchmark::State& state) {
  std::size_t bytes = 0;
  for (std::string_view script : tesmiro::bench::kFrameScripts) bytes += script.size();
  for (auto _ : state) {
    for (std::string_view script : tesmiro::bench::kFrameScripts) {
      tesmiro::script::CompileResult r = tesmiro::script::Compile(script, Target::Swf6);
      if (!r.ok()) {
        state.SkipWithError(r.error->message.c_str());
        return;
      }
      benchmark::DoNotOptimize(r.actions.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

}  // namespace

BENCHMARK(BM_CompileSwf6)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileSwf4)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileFrameScripts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CompileFrameScriptsJoined)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
