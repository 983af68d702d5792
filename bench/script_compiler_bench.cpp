// Compile throughput of the ActionScript compiler on a large generated
// script that mixes the constructs frame and handler scripts use.
#include <benchmark/benchmark.h>

#include <string>

#include "script/compiler.h"

namespace {

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

void Compile(benchmark::State& state, tesmiro::script::Target target) {
  bool swf4 = target == tesmiro::script::Target::Swf4;
  // Large, yet within the 16-bit limits: everything sits at the top level.
  std::string source = GeneratedScript(static_cast<std::size_t>(state.range(0)), swf4);
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

void BM_CompileSwf6(benchmark::State& state) { Compile(state, tesmiro::script::Target::Swf6); }
void BM_CompileSwf4(benchmark::State& state) { Compile(state, tesmiro::script::Target::Swf4); }

}  // namespace

BENCHMARK(BM_CompileSwf6)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileSwf4)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
