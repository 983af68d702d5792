// The behaviour cases of ruffle_cases.txt: every one must compile for each
// target it names, into records whose jumps and blocks land on boundaries.
// With TESMIRO_SCRIPT_CASES_OUT set to a folder, the compiled bytes are also
// written there (<case number>-<target>.bin) for the Ruffle run of
// tests/js/script_ruffle.test.mjs, which checks what the cases trace.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "script/avm1_reader.h"
#include "script/compiler.h"

namespace tesmiro::script {
namespace {

struct Case {
  std::string name;
  std::string source;
  bool swf4 = false;
  bool swf6 = false;
};

std::vector<Case> ReadCases() {
  std::ifstream in(std::string(TESMIRO_SOURCE_ROOT) + "/tests/script/ruffle_cases.txt");
  std::vector<Case> cases;
  std::string line;
  bool inScript = false;
  while (std::getline(in, line)) {
    if (line.rfind("=== ", 0) == 0) {
      Case c;
      std::string header = line.substr(4);
      std::size_t at = header.find(" @");
      c.name = header.substr(0, at);
      // "@4 6 7 8", possibly followed by the handler a case is (clip 0x10).
      std::istringstream words(at == std::string::npos ? "6 7 8" : header.substr(at + 2));
      std::string word;
      while (words >> word && word.size() == 1) {
        c.swf4 = c.swf4 || word == "4";
        c.swf6 = c.swf6 || word == "6" || word == "7" || word == "8";
      }
      cases.push_back(c);
      inScript = true;
    } else if (line.rfind("--- ", 0) == 0) {
      inScript = false;
    } else if (inScript && !cases.empty()) {
      cases.back().source += line + "\n";
    }
  }
  return cases;
}

// What the movie runs for case `index`: a marker line, then the case.
std::string MovieScript(std::size_t index, const Case& c) {
  return "trace(\"#case " + std::to_string(index) + "\");\n" + c.source;
}

TEST(ScriptBehaviourCases, EveryCaseCompilesForItsTargets) {
  std::vector<Case> cases = ReadCases();
  ASSERT_GE(cases.size(), 60u);
  const char* out = std::getenv("TESMIRO_SCRIPT_CASES_OUT");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    EXPECT_TRUE(c.swf4 || c.swf6) << c.name;
    for (Target target : {Target::Swf4, Target::Swf6}) {
      if ((target == Target::Swf4 && !c.swf4) || (target == Target::Swf6 && !c.swf6)) continue;
      CompileResult r = Compile(MovieScript(i, c), target);
      ASSERT_TRUE(r.ok()) << c.name << ": " << r.error->message << " at " << r.error->line;
      avm1test::Walk walk = avm1test::Read(r.actions);
      EXPECT_TRUE(walk.ok) << c.name << ": " << walk.problem;
      if (out) {
        std::ofstream file(std::string(out) + "/" + std::to_string(i) + "-" +
                               std::to_string(static_cast<int>(target)) + ".bin",
                           std::ios::binary);
        file.write(reinterpret_cast<const char*>(r.actions.data()), static_cast<std::streamsize>(r.actions.size()));
        ASSERT_TRUE(file.good());
      }
    }
  }
}

}  // namespace
}  // namespace tesmiro::script
