#include "media/action_compiler.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "swf/swf_writer.h"

namespace tesmiro::ActionCompiler {
namespace {

using testing::RecordingUi;
using testing::TempDir;

// Stands in for the compiler: the actions are the source's bytes, so a test
// sees exactly what reached the compiler; a source containing "bad" fails
// on that word's line.
struct FakeCompiler {
  std::vector<std::string> sources;
  std::vector<script::Target> targets;

  script::CompileResult operator()(std::string_view source, script::Target target) {
    sources.emplace_back(source);
    targets.push_back(target);
    script::CompileResult result;
    const size_t bad = source.find("bad");
    if (bad != std::string_view::npos) {
      int line = 1;
      for (size_t i = 0; i < bad; ++i) line += source[i] == '\n';
      result.error = script::CompileError{"unexpected token", line, 3};
    } else {
      result.actions.assign(source.begin(), source.end());
    }
    return result;
  }
};

class ActionCompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetState();
    ModuleState().compile = [this](std::string_view s, script::Target t) { return fake(s, t); };
  }
  void TearDown() override { ResetState(); }

  // The errors recorded for the caller to show; no message box opens here.
  std::vector<std::string> messageTexts() const {
    EXPECT_TRUE(ui.messages.empty());
    return ModuleState().errors;
  }

  static void write(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  RecordingUi ui;
  FakeCompiler fake;
  std::vector<uint8_t> bytes;
};

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

TEST_F(ActionCompilerTest, ClipScriptBlocksGiveFlagsBodiesAndLines) {
  for (const char* eol : {"\r\n", "\n"}) {
    SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF only");
    fake = FakeCompiler{};
    std::string e = eol;
    std::string script = "onClipEvent (load)" + e + "{" + e + "  x = 1;" + e + "}" + e + "-" + e +
                         "on (press, release)" + e + "{ y = 2; }";
    int32_t line = 0, keyCode = 0;

    int32_t flags = 0;
    EXPECT_EQ(CompileClipEventHandler(script, bytes, flags, line, keyCode, 6), 13);
    EXPECT_EQ(flags, 0x1);
    EXPECT_EQ(line, 5);
    EXPECT_EQ(Text(bytes), "\n{\n  x = 1;\n}");

    flags = 0;
    EXPECT_GT(CompileClipEventHandler(script, bytes, flags, line, keyCode, 6), 0);
    EXPECT_EQ(flags, 0xC00);
    EXPECT_EQ(Text(bytes), "\n{ y = 2; }");
    EXPECT_TRUE(script.empty());
    EXPECT_EQ(fake.targets, (std::vector<script::Target>{script::Target::Swf6, script::Target::Swf6}));
  }
  EXPECT_TRUE(messageTexts().empty());
}

TEST_F(ActionCompilerTest, KeyPressCodes) {
  int32_t line = 0, keyCode = 0;
  auto button = [&](std::string script) {
    int32_t condition = 0;
    CompileButtonHandler(script, bytes, condition, line, 6);
    return condition;
  };
  EXPECT_EQ(button("on (keyPress \"<left>\") {}"), 512);
  EXPECT_EQ(button("on (keyPress \"<PageDown>\") {}"), 17 * 512);
  EXPECT_EQ(button("on (press, keyPress \"a\") {}"), 0x04 + 97 * 512);
  EXPECT_EQ(button("on(keyPress\" \"){}"), 32 * 512);
  EXPECT_EQ(button("on (rollOver, rollOut, dragOut, dragOver, releaseOutside, release) {}"), 0x7B);

  std::string clip = "onClipEvent (keyPress \"<enter>\") { go(); }";
  int32_t flags = 0;
  EXPECT_GT(CompileClipEventHandler(clip, bytes, flags, line, keyCode, 6), 0);
  EXPECT_EQ(flags, 0x20000);
  EXPECT_EQ(keyCode, 13);
  EXPECT_TRUE(messageTexts().empty());
}

TEST_F(ActionCompilerTest, InvalidKeysAreRejectedWithTheBlocksLine) {
  // Unquoted, unclosed, empty, and characters that do not fit the 7-bit key field.
  for (const char* key : {"a", "\"a", "\"\"", "\"あ\"", "\"é\"", "\"ab\""}) {
    SCOPED_TRACE(key);
    ModuleState().errors.clear();
    std::string script = std::string("on (press, keyPress ") + key + ") {}";
    int32_t condition = 0x40, line = 7;
    EXPECT_EQ(CompileButtonHandler(script, bytes, condition, line, 6), 0);
    EXPECT_EQ(condition, 0);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"不正なキーコードです：Line 8"});
    EXPECT_EQ(GetScriptErrorLine(), 8);
  }
  std::string clip = "onClipEvent (keyPress \"あ\") {}";
  int32_t flags = 0, line = 0, keyCode = 0;
  EXPECT_EQ(CompileClipEventHandler(clip, bytes, flags, line, keyCode, 6), 0);
  EXPECT_EQ(flags, 0);
  EXPECT_TRUE(fake.sources.empty());
}

TEST_F(ActionCompilerTest, HeaderErrors) {
  struct Case {
    bool button;
    const char* script;
    const char* message;
  } cases[] = {
      {true, "on (enterFrame) {}", "不正なイベント名です：Line 1"},
      {true, "onClipEvent (load) {}", "on が必要です：Line 1"},
      {true, "on press {}", "( が必要です：Line 1"},
      {false, "trace(1);", "onClipEvent または on が必要です：Line 1"},
      {false, "onClipEvent (load, bogus) {}", "不正なイベント名です：Line 1"},
      {false, "onClipEvent () {}", "不正なイベント名です：Line 1"},
      // Blank lines before the header are lines of the block.
      {false, "\r\n\r\nonClipEvent (jump) {}", "不正なイベント名です：Line 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ModuleState().errors.clear();
    std::string script = c.script;
    int32_t bits = 0, line = 0, keyCode = 0;
    const int32_t n = c.button ? CompileButtonHandler(script, bytes, bits, line, 6)
                               : CompileClipEventHandler(script, bytes, bits, line, keyCode, 6);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(bits, 0);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{c.message});
  }
  EXPECT_TRUE(fake.sources.empty());
}

TEST_F(ActionCompilerTest, LaterBlocksReportTheirTrueLinesAfterAFailedHeader) {
  // Lines: 1-3 a block with a bad header, 4 "-", 5-6 blank lines, 7 header,
  // 8 "{", 9 the failing statement.
  std::string script =
      "on (bogus)\r\n{\r\n}\r\n-\r\n\r\n\r\n"
      "on (press)\r\n{\r\n  bad;\r\n}";
  int32_t condition = 0, line = 0;
  EXPECT_EQ(CompileButtonHandler(script, bytes, condition, line, 6), 0);
  EXPECT_EQ(GetScriptErrorLine(), 1);
  EXPECT_EQ(line, 6);
  condition = 0;
  EXPECT_EQ(CompileButtonHandler(script, bytes, condition, line, 6), 0);
  EXPECT_EQ(GetScriptErrorLine(), 9);
  EXPECT_EQ(messageTexts(), (std::vector<std::string>{"不正なイベント名です：Line 1", "文法に誤りがあります：Line 9"}));
}

TEST_F(ActionCompilerTest, CompileScriptReportsTheLineWithTheBaseAndPicksTheTarget) {
  EXPECT_EQ(CompileScript("a = 1;\r\nb = 2;\r\nbad;\r\n", bytes, 10, 6), 0);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(GetScriptErrorLine(), 13);
  EXPECT_EQ(messageTexts(), std::vector<std::string>{"文法に誤りがあります：Line 13"});
  EXPECT_EQ(fake.sources.back(), "a = 1;\nb = 2;\nbad;\n");

  EXPECT_EQ(CompileScript("stop();", bytes, 0, 4), 7);
  EXPECT_EQ(GetScriptErrorLine(), 0);
  EXPECT_EQ(CompileScript("", bytes, 0, 8), 0);
  for (int version : {7, 8}) CompileScript("play();", bytes, 0, version);
  EXPECT_EQ(fake.targets, (std::vector<script::Target>{script::Target::Swf6, script::Target::Swf4,
                                                       script::Target::Swf6, script::Target::Swf6,
                                                       script::Target::Swf6}));
  EXPECT_EQ(messageTexts().size(), 1u);
}

TEST_F(ActionCompilerTest, FileIncludeBesideTheProjectOrTheProgram) {
  TempDir dir;
  ModuleState().settings.projectPath = (dir / "proj" / "movie.tsm").string();
  ModuleState().settings.programFolder = dir / "prog";
  // Spelled differently on disk than in the script; LF line ends; CP932 text.
  write(dir / "proj" / "Inc" / "Main.AS", "x = \"\x95\x5c\";\nstop();\n");
  write(dir / "prog" / "lib.as", "play();");
  write(dir / "proj" / "utf8.as", "\xEF\xBB\xBFy = \"表\";");

  EXPECT_EQ(ExpandFileInclude("  \r\n#FILE \"inc\\main.as\"\r\nignored();"), "x = \"表\";\r\nstop();\r\n");
  EXPECT_EQ(ExpandFileInclude("#file \"\\lib.as\""), "play();");
  EXPECT_EQ(ExpandFileInclude("#file \" utf8.as\""), "y = \"表\";");
  EXPECT_EQ(CompileScript("#file \"inc/main.as\"", bytes, 0, 6), 19);
  EXPECT_EQ(fake.sources.back(), "x = \"表\";\nstop();\n");

  // Without "#file" and a quote the script stays as it is (line ends aside).
  EXPECT_EQ(ExpandFileInclude("trace(1);\n#file \"lib.as\""), "trace(1);\r\n#file \"lib.as\"");
  EXPECT_EQ(ExpandFileInclude("#file lib.as"), "#file lib.as");
  EXPECT_TRUE(messageTexts().empty());

  // Without a project only the program's folder is searched.
  ModuleState().settings.projectPath.clear();
  EXPECT_EQ(ExpandFileInclude("#file \"lib.as\""), "play();");
  EXPECT_EQ(ExpandFileInclude("#file \"utf8.as\""), "");
}

TEST_F(ActionCompilerTest, MissingIncludeIsReportedAndCompilesNothing) {
  TempDir dir;
  ModuleState().settings.projectPath = (dir / "movie.tsm").string();
  std::filesystem::create_directories(dir / "folder.as");

  EXPECT_EQ(CompileScript("#file \"sub\\none.as\"\r\nstop();", bytes, 0, 6), 0);
  EXPECT_EQ(ExpandFileInclude("#file \"folder.as\""), "");
  EXPECT_EQ(ExpandFileInclude("#file \"open.as"), "");
  EXPECT_EQ(ExpandFileInclude("#file \"C:\\work\\abs.as\""), "");
  EXPECT_EQ(messageTexts(), (std::vector<std::string>{"ファイルがありません：sub\\none.as",
                                                      "ファイルがありません：folder.as",
                                                      "ファイルがありません：",
                                                      "ファイルがありません：C:\\work\\abs.as"}));
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(GetScriptErrorLine(), 0);
}

// An include that is there but cannot be read is not called missing.
TEST_F(ActionCompilerTest, AnIncludeThatCannotBeReadSaysWhy) {
  TempDir dir;
  ModuleState().settings.projectPath = (dir / "movie.tsm").string();
  const std::string big = (dir / "big.as").string();
  write(big, "");
  std::filesystem::resize_file(big, script::kMaxSourceBytes + 1);
  EXPECT_EQ(CompileScript("#file \"big.as\"", bytes, 0, 6), 0);
  EXPECT_EQ(messageTexts(), std::vector<std::string>{"ファイル [" + big + "] が大きすぎます"});
}

TEST_F(ActionCompilerTest, TokensMatchAsPrefixesAfterBlanks) {
  std::string text = "  \r\n LoaDer";
  EXPECT_EQ(NextToken(text), "load");
  EXPECT_EQ(text, "er");
  text = "releaseOutside,";
  EXPECT_EQ(NextToken(text), "releaseoutside");
  EXPECT_EQ(NextToken(text), ",");
  EXPECT_EQ(NextToken(text), "");
  text = "\t(";
  EXPECT_EQ(NextToken(text), "");  // a tab is not a blank
  EXPECT_EQ(text, "\t(");
  text = "\n(";
  SkipBlanks(text);
  EXPECT_EQ(text, "\n(");

  EXPECT_EQ(CountLineBreaks("a\r\nb\nc\r\r\n"), 2);
  EXPECT_EQ(LineOfText("a\r\nb\r\nc", "c"), 2);
  EXPECT_EQ(NormalizeLineBreaks("a\nb\r\nc\rd"), "a\r\nb\r\nc\rd");
}

TEST_F(ActionCompilerTest, TheWritersCompilerIsThisModule) {
  SWFMakeCore::ResetState();
  InstallBinding();
  swf::ScriptCompiler* compiler = swf::CurrentScriptCompiler();
  ASSERT_NE(compiler, nullptr);
  EXPECT_EQ(Text(compiler->compileScript("stop();", 0, 6)), "stop();");

  std::string script = "on (press)\n{ a(); }\n-\non (bogus)\n{ }";
  int32_t flags = 0, line = 0, keyCode = 0;
  EXPECT_EQ(Text(compiler->compileClipEventHandler(script, flags, line, keyCode, 6)), "\n{ a(); }");
  EXPECT_EQ(flags, 0x400);
  flags = 0;
  EXPECT_TRUE(compiler->compileClipEventHandler(script, flags, line, keyCode, 6).empty());
  // A compile the writer asked for leaves its error with the writer, in
  // order with the writer's own diagnostics.
  EXPECT_TRUE(messageTexts().empty());
  const auto& diagnostics = SWFMakeCore::WriterState().diagnostics;
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0].kind, SWFMakeCore::Diagnostic::Kind::ScriptError);
  EXPECT_EQ(diagnostics[0].text, "不正なイベント名です：Line 4");
  swf::InstallScriptCompiler(nullptr);
  SWFMakeCore::ResetState();
}

TEST_F(ActionCompilerTest, RealCompilerErrorsNameTheLineOfTheWholeScript) {
  ModuleState().compile = nullptr;
  EXPECT_GT(CompileScript("stop();", bytes, 0, 6), 0);
  EXPECT_EQ(bytes.back(), 0x07);  // no closing 0x00: the caller adds it

  std::string script = "on (press)\r\n{\r\n  x = ;\r\n}";
  int32_t condition = 0, line = 20;
  EXPECT_EQ(CompileButtonHandler(script, bytes, condition, line, 6), 0);
  EXPECT_EQ(GetScriptErrorLine(), 23);
  EXPECT_EQ(messageTexts(), std::vector<std::string>{"文法に誤りがあります：Line 23"});
}

// A script free of syntax errors that still does not compile names the
// limit it passed, so that the user does not look for a mistake.
TEST_F(ActionCompilerTest, ALimitIsNamedNotCalledASyntaxError) {
  ModuleState().compile = nullptr;
  auto repeat = [](const std::string& part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += part;
    return out;
  };
  struct Case { std::string script; int swfVersion; std::string message; };
  const Case cases[] = {
      {"x = 1;\r\ny = (1 + ;", 6, "文法に誤りがあります：Line 12"},
      {"x = \"" + std::string(70000, 'a') + "\";", 6, "アクションの長さが上限の65,535バイトを超えています：Line 11"},
      {"\r\nfunction f() {" + repeat("trace(1);", 9000) + "}", 6,
       "アクションの長さが上限の65,535バイトを超えています：Line 12"},
      {"if (x) {\r\n" + repeat("trace(1);\r\n", 5000) + "}", 6,
       "分岐で飛び越すコードが上限の32,767バイトを超えています：Line 11"},
      {std::string(script::kMaxSourceBytes + 1, ' '), 6, "スクリプトが上限の16メガバイトを超えています：Line 11"},
      {"x = 1;\r\ns = \"\xFF\";", 6, "スクリプトに文字として読めないバイトがあります：Line 12"},
      {"x = " + std::string(5000, '(') + "1" + std::string(5000, ')') + ";", 6,
       "式や文が複雑すぎます（入れ子の深さが上限を超えています）：Line 11"},
      {"ifFrameLoaded (2) {" + repeat(" play();", 300) + " }", 6,
       "フレームの読み込みを待つブロックのアクションが上限の255個を超えています：Line 11"},
      {"s = \"\xF0\x9F\x98\x80\";", 4, "SWF 4 のムービーでは使えない文字があります：Line 11"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ModuleState().errors.clear();
    EXPECT_EQ(CompileScript(c.script, bytes, 10, c.swfVersion), 0);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(messageTexts(), std::vector<std::string>{c.message});
    EXPECT_GT(GetScriptErrorLine(), 10);
  }
}

}  // namespace
}  // namespace tesmiro::ActionCompiler
