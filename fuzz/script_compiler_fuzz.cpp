// Any bytes as a script, for both targets: the compiler must return
// either an error with a line inside the source or actions whose jumps and
// blocks all land on record boundaries (and, for SWF 4, only SWF 4 actions).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "avm1_reader.h"
#include "script/compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view source(reinterpret_cast<const char*>(data), size);
  long lines = 1;
  for (char c : source)
    if (c == '\n' || c == '\r') ++lines;
  for (auto target : {tesmiro::script::Target::Swf6, tesmiro::script::Target::Swf4}) {
    tesmiro::script::CompileResult r = tesmiro::script::Compile(source, target);
    if (!r.ok()) {
      // CR LF counts once, so the bound is loose but still catches garbage.
      if (r.error->line < 1 || r.error->line > lines || r.error->column < 1 || r.error->message.empty()) {
        std::fprintf(stderr, "bad error position %d:%d\n", r.error->line, r.error->column);
        std::abort();
      }
      continue;
    }
    avm1test::Walk walk = avm1test::Read(r.actions);
    if (!walk.ok) {
      std::fprintf(stderr, "malformed actions: %s\n", walk.problem.c_str());
      std::abort();
    }
    if (target == tesmiro::script::Target::Swf4)
      for (uint8_t code : avm1test::Codes(r.actions))
        if (!avm1test::IsSwf4Action(code)) {
          std::fprintf(stderr, "action 0x%02X in a SWF 4 body\n", code);
          std::abort();
        }
  }
  return 0;
}
