#include "swf_test_util.h"

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

TEST_F(WriterTest, BackgroundAndBuiltInActions) {
  StartMovie(6);
  WriteSetBackgroundColor(255, 255, 255);
  EXPECT_EQ(OutHex(), "43 02 FF FF FF");
  OutputBuffer().clear();
  WriteDoAction("", "", ActionKind::Stop);
  EXPECT_EQ(OutHex(), "3F 03 02 00 00 00 07 00");
  OutputBuffer().clear();
  WriteDoAction("", "", ActionKind::NextFrame);
  EXPECT_EQ(OutHex(), "3F 03 03 00 00 00 04 06 00");
  OutputBuffer().clear();
  WriteDoAction("", "", ActionKind::DoNothing);
  EXPECT_EQ(OutHex(), "3F 03 01 00 00 00 00");
}

TEST_F(WriterTest, ScriptedActionsGoThroughTheCompilerWithEscapedTexts) {
  StartMovie(7);
  FakeScriptCompiler compiler;
  compiler.table["gotoAndPlay(\"a\\\"b\");"] = {0x8C, 0x04, 0x00, 0x61, 0x22, 0x62, 0x00};
  WriteDoAction("a\"b", "", ActionKind::JumpToLabel);
  EXPECT_EQ(OutHex(), "3F 03 08 00 00 00 8C 04 00 61 22 62 00 00");
  BuildSimpleAction("http://x/?a=\\", "_bla\r\nnk", ActionKind::GetURL);
  BuildSimpleAction("12px", "", ActionKind::JumpToFrame);
  BuildSimpleAction("", "trace(1);", ActionKind::Script);
  ASSERT_EQ(compiler.scripts.size(), 4u);
  EXPECT_EQ(compiler.scripts[1], "getURL(\"http://x/?a=\\\\\",\"_bla\\r\\nnk\");");
  EXPECT_EQ(compiler.scripts[2], "gotoAndPlay(12);");
  EXPECT_EQ(compiler.scripts[3], "trace(1);");
  EXPECT_EQ(compiler.versions[0], 7);
}

TEST_F(WriterTest, AScriptThatDoesNotCompileLeavesOnlyTheEndByte) {
  StartMovie(6);
  FakeScriptCompiler compiler;
  WriteDoAction("", "broken(", ActionKind::Script);
  EXPECT_EQ(OutHex(), "3F 03 01 00 00 00 00");
}

TEST_F(WriterTest, ButtonWithOnlyAnUpCharacter) {
  StartMovie(6);
  EXPECT_EQ(WriteDefineButton(42, 0, 0, 0, ActionKind::Play, "", "", 0), 20000);
  EXPECT_EQ(OutHex(), "FF 01 0C 00 00 00 20 4E 0F 2A 00 01 01 02 00 00 06 00");
  EXPECT_EQ(NextAutoID(), 20001);
}

TEST_F(WriterTest, ButtonStatesTakeTheirBitsFromUp) {
  StartMovie(6);
  WriteDefineButton(1, 2, 0, 3, ActionKind::Label, "", "", 0);
  const auto& b = OutputBuffer();
  ASSERT_EQ(b.size(), 6u + 2 + 3 * 7 + 1 + 1);
  EXPECT_EQ(b[8], 3);        // up and over
  EXPECT_EQ(b[8 + 7], 4);    // down
  EXPECT_EQ(b[8 + 14], 8);   // hit
  EXPECT_EQ(b[8 + 14 + 1], 3);
}

TEST_F(WriterTest, Button2WithConditionActions) {
  StartMovie(6);
  FakeScriptCompiler compiler;
  compiler.table["on (press)"] = {0x07};
  compiler.conditions["on (press)"] = 0x04;
  compiler.table["on (release)"] = {0x06, 0x06};
  compiler.conditions["on (release)"] = 0x08;
  const std::string script = "on (press)\r\n-\r\non (release)";
  WriteDefineButton2(5, 0, 0, 0, ActionKind::Script, "", script, 0);
  const auto& b = OutputBuffer();
  EXPECT_EQ(Hex({b[9], b[10]}), "15 00");  // ActionOffset 3 + 18
  EXPECT_EQ(Hex(std::vector<uint8_t>(b.end() - 18, b.end())),
            "06 00 04 00 07 00 07 00 08 00 06 06 00 00 00 00 00 00");
  EXPECT_EQ(b[2] | b[3] << 8, static_cast<int>(b.size()) - 6);

  OutputBuffer().clear();
  WriteDefineButton2(5, 0, 0, 0, ActionKind::Play, "", script, 0);
  EXPECT_EQ(Hex({OutputBuffer()[9], OutputBuffer()[10]}), "00 00");
  EXPECT_EQ(OutputBuffer().size(), 6u + 2 + 1 + 2 + 18 + 1);
}

TEST_F(WriterTest, LabelsSpritesAndExportNames) {
  StartMovie(6);
  WriteFrameLabel("abc");
  EXPECT_EQ(OutHex(), "FF 0A 04 00 00 00 61 62 63 00");
  OutputBuffer().clear();
  WriteExportName(20, "abc");
  EXPECT_EQ(OutHex(), "3F 0E 08 00 00 00 01 00 14 00 61 62 63 00");
  OutputBuffer().clear();
  WriteSpriteHeader(8);
  EXPECT_EQ(OutHex(), "FF 09 04 00 00 00 08 00 00 00");
  StartMovie(4);
  WriteExportName(20, "abc");
  EXPECT_EQ(OutHex(), "3F 0A 06 00 00 00 14 00 61 62 63 00");
}

TEST_F(WriterTest, AutomaticIdsStopBeforeTheFixedIds) {
  StartMovie(6);
  // Each ID is handed out once, in order, up to the last one below the fixed IDs.
  int32_t last = NextAutoID();
  for (int32_t id = NextAutoID(); id != 0; id = NextAutoID()) {
    ASSERT_EQ(id, last + 1);
    ASSERT_LT(id, kPreviewSpriteID);
    last = id;
  }
  EXPECT_EQ(last, kPreviewSpriteID - 1);
  EXPECT_EQ(NextAutoID(), 0);
  EXPECT_EQ(WriteDefineButton(1, 0, 0, 0, ActionKind::Play, "", "", 0), 0);
  EXPECT_TRUE(OutputBuffer().empty());
  EXPECT_FALSE(WriterState().diagnostics.empty());
}

TEST_F(WriterTest, QuotingNeutralisesEveryBreakingCharacter) {
  EXPECT_EQ(QuoteScriptString("a\\b\"c\r\nd"), "\"a\\\\b\\\"c\\r\\nd\"");
  EXPECT_EQ(QuoteScriptString(""), "\"\"");
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

using namespace SWFMakeCore;

TEST_F(WriterTest, AButtonHandlerTooLongForItsOffsetIsRefused) {
  StartMovie(6);
  FakeScriptCompiler compiler;
  compiler.table["on (press)"] = std::vector<uint8_t>(65530, 0x06);  // the longest that fits
  compiler.table["on (release)"] = std::vector<uint8_t>(65531, 0x06);
  const int32_t id = WriteDefineButton2(5, 0, 0, 0, ActionKind::Script, "", "on (press)", 0);
  const auto& b = OutputBuffer();
  ASSERT_GT(b.size(), 10u);
  EXPECT_EQ(b[6] | b[7] << 8, id);  // the tag defines the ID it returned
  const size_t handler = 9 + static_cast<size_t>(b[9] | b[10] << 8);  // the action offset counts from there
  EXPECT_EQ(b[handler] | b[handler + 1] << 8, 65535);  // its offset to the next handler
  OutputBuffer().clear();
  EXPECT_EQ(WriteDefineButton2(5, 0, 0, 0, ActionKind::Script, "", "on (press)\r\n-\r\non (release)", 0), 0);
  EXPECT_TRUE(OutputBuffer().empty());
  ASSERT_EQ(WriterState().diagnostics.size(), 1u);
  EXPECT_NE(WriterState().diagnostics[0].text.find("65531"), std::string::npos);
  EXPECT_EQ(NextAutoID(), id + 1);  // the refused button took no ID
}

}  // namespace
}  // namespace tesmiro::testing
