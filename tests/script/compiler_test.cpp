#include "script/compiler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/avm1_reader.h"

namespace tesmiro::script {
namespace {

using Bytes = std::vector<uint8_t>;

// --- an independent builder of expected records ---
void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<uint8_t>(v & 0xFF));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
Bytes Str(const std::string& s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Rec(uint8_t code, const Bytes& payload) {
  Bytes b{code};
  Put16(b, static_cast<unsigned>(payload.size()));
  return Cat({b, payload});
}
Bytes A(uint8_t code) { return {code}; }
Bytes PushS(const std::string& s) { return Cat({{0}, Str(s)}); }
Bytes PushI(int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  return {7, static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
          static_cast<uint8_t>(u >> 24)};
}
Bytes PushC(uint8_t i) { return {8, i}; }
Bytes Push(std::initializer_list<Bytes> items) { return Rec(0x96, Cat(items)); }
Bytes Pool(std::initializer_list<std::string> strings) {
  Bytes p;
  Put16(p, static_cast<unsigned>(strings.size()));
  for (const std::string& s : strings) p = Cat({p, Str(s)});
  return Rec(0x88, p);
}
Bytes Jump(uint8_t code, int16_t offset) {
  Bytes p;
  Put16(p, static_cast<uint16_t>(offset));
  return Rec(code, p);
}

Bytes Ok(std::string_view source, Target target = Target::Swf6) {
  CompileResult r = Compile(source, target);
  EXPECT_TRUE(r.ok()) << source << "\n -> " << (r.error ? r.error->message : "") << " at "
                      << (r.error ? r.error->line : 0) << ":" << (r.error ? r.error->column : 0);
  avm1test::Walk walk = avm1test::Read(r.actions);
  EXPECT_TRUE(walk.ok) << source << "\n" << walk.problem << "\n" << avm1test::Text(r.actions);
  return r.actions;
}
std::string Asm(std::string_view source, Target target = Target::Swf6) { return avm1test::Text(Ok(source, target)); }

CompileError Err(std::string_view source, Target target = Target::Swf6) {
  CompileResult r = Compile(source, target);
  EXPECT_FALSE(r.ok()) << source;
  EXPECT_TRUE(r.actions.empty());
  return r.error.value_or(CompileError{"(compiled)", 0, 0});
}

// --- the scripts the program writes itself ---

TEST(ScriptCompiler, BuiltInActionsGiveTheClassicRecordsOnBothTargets) {
  for (Target t : {Target::Swf4, Target::Swf6}) {
    EXPECT_EQ(Ok("gotoAndPlay(\"label\");", t), Cat({Rec(0x8C, Str("label")), A(0x06)}));
    EXPECT_EQ(Ok("getURL(\"url\",\"target\");", t), Rec(0x83, Cat({Str("url"), Str("target")})));
    EXPECT_EQ(Ok("gotoAndPlay(12);", t), Cat({Rec(0x81, {11, 0}), A(0x06)}));
    EXPECT_EQ(Ok("gotoAndStop(1);", t), Cat({Rec(0x81, {0, 0}), A(0x07)}));
  }
}

TEST(ScriptCompiler, SwfFourPreviewLoaderUsesTellTarget) {
  Bytes expected = Cat({Rec(0x8B, Str("/_SprPictPreview")), Push({PushS("_preview.swf"), PushS("")}),
                        Rec(0x9A, {0x40}), Rec(0x8B, {0})});
  EXPECT_EQ(Ok("tellTarget(\"/_SprPictPreview\"){loadMovie(\"_preview.swf\",\"\");};", Target::Swf4), expected);
}

TEST(ScriptCompiler, PreviewLoaderAsMethodCall) {
  Bytes expected = Cat({Pool({"_preview.swf", "_SprPictPreview", "loadMovie"}),
                        Push({PushC(0), PushI(1), PushC(1)}), A(0x1C), Push({PushC(2)}), A(0x52), A(0x17)});
  EXPECT_EQ(Ok("_SprPictPreview.loadMovie(\"_preview.swf\");"), expected);
}

TEST(ScriptCompiler, PreviewDataHandlerStopsOnTheFrameOnceLoaded) {
  // The body of onClipEvent (data) of the preview placeholder, frame 5.
  std::string body =
      "{if (this.getBytesTotal()>0 && this.getBytesLoaded()>=this.getBytesTotal()) {this.gotoAndStop(5);} "
      "else {this.stop();}}";
  Bytes callTotal = Cat({Push({PushI(0), PushC(0)}), A(0x1C), Push({PushC(1)}), A(0x52)});
  Bytes callLoaded = Cat({Push({PushI(0), PushC(0)}), A(0x1C), Push({PushC(2)}), A(0x52)});
  Bytes thenPart = Cat({Push({PushI(5), PushI(1), PushC(0)}), A(0x1C), Push({PushC(3)}), A(0x52), A(0x17)});
  Bytes elsePart = Cat({Push({PushI(0), PushC(0)}), A(0x1C), Push({PushC(4)}), A(0x52), A(0x17)});
  Bytes right = Cat({A(0x17), callLoaded, callTotal, A(0x48), A(0x12)});  // Pop, a, b, Less2, Not
  Bytes toElse = Jump(0x99, static_cast<int16_t>(elsePart.size()));
  Bytes test = Cat({A(0x12), Jump(0x9D, static_cast<int16_t>(thenPart.size() + toElse.size()))});
  Bytes expected = Cat({Pool({"this", "getBytesTotal", "getBytesLoaded", "gotoAndStop", "stop"}), callTotal,
                        Push({PushI(0)}), A(0x67), A(0x4C), A(0x12),
                        Jump(0x9D, static_cast<int16_t>(right.size())), right, test, thenPart, toElse, elsePart});
  EXPECT_EQ(Ok(body), expected) << avm1test::Text(Ok(body));

  std::string playing = body;
  playing.replace(playing.find("this.gotoAndStop(5)"), 19, "this.gotoAndPlay(7)");
  EXPECT_NE(Asm(playing).find("Push 7 1 'this'"), std::string::npos);
}

TEST(ScriptCompiler, TextEffectScriptAfterSubstitution) {
  // A letter's clip script once the template parameters became numbers.
  std::string body =
      "{\n  this._alpha = 0;\n  this._x -= 20 * (3 + 256) / 12;\n}\n-\n";
  body = body.substr(0, body.find("\n-\n"));
  EXPECT_EQ(Asm(body),
            "ConstantPool 3\n"
            "Push 'this'\nGetVariable\nPush '_alpha' 0\nSetMember\n"
            "Push 'this'\nGetVariable\nPushDuplicate\nPush '_x'\nStoreRegister 0\nStackSwap\nPush r:0\n"
            "GetMember\nPush 20 3 256\nAdd2\nMultiply\nPush 12\nDivide\nSubtract\nSetMember\n");
  std::string swf4 = "this._alpha = 0; this._x = this._x - 20 * 259 / 12; _parent.__count = 257;";
  EXPECT_EQ(Asm(swf4, Target::Swf4),
            "Push \"\" \"6\" \"0\"\nSetProperty\n"
            "Push \"\" \"0\" \"\" \"0\"\nGetProperty\nPush \"20\" \"259\"\nMultiply\nPush \"12\"\nDivide\n"
            "Subtract\nSetProperty\n"
            "Push \"..:__count\" \"257\"\nSetVariable\n");
}

// --- values and pushes ---

TEST(ScriptCompiler, TypedPushesOnTargetSix) {
  EXPECT_EQ(Ok("trace(7);"), Cat({Push({PushI(7)}), A(0x26)}));
  EXPECT_EQ(Ok("trace(-2147483648);"), Cat({Push({PushI(INT32_MIN)}), A(0x26)}));
  // 1.5 = 0x3FF8000000000000: the high word comes first.
  EXPECT_EQ(Ok("trace(1.5);"), Cat({Push({{6, 0x00, 0x00, 0xF8, 0x3F, 0, 0, 0, 0}}), A(0x26)}));
  EXPECT_EQ(Ok("trace(2147483648);"), Cat({Push({{6, 0x00, 0x00, 0xE0, 0x41, 0, 0, 0, 0}}), A(0x26)}));
  EXPECT_EQ(Asm("trace(0x1F); trace(1e3); trace(.25); trace(-0);"),
            "Push 31\nTrace\nPush 1000\nTrace\nPush d:0.25\nTrace\nPush d:-0\nTrace\n");
  EXPECT_EQ(Ok("trace(true); trace(null); trace(undefined);"),
            Cat({Push({{5, 1}}), A(0x26), Push({{2}}), A(0x26), Push({{3}}), A(0x26)}));
}

TEST(ScriptCompiler, SwfFourPushesOnlyStrings) {
  EXPECT_EQ(Asm("trace(1.5); trace(true); trace(0x10); x = 1 + 2;", Target::Swf4),
            "Push \"1.5\"\nTrace\nPush \"1\"\nTrace\nPush \"16\"\nTrace\nPush \"x\" \"1\" \"2\"\nAdd\nSetVariable\n");
}

TEST(ScriptCompiler, StringsAndEscapes) {
  EXPECT_EQ(Asm("trace('a\\'b\\n\\x41\\u3042');"), "ConstantPool 1\nPush 'a'b\nA\xE3\x81\x82'\nTrace\n");
  // Japanese text and names; SWF 4 writes code page 932.
  EXPECT_EQ(Ok("名前 = \"表\";", Target::Swf4),
            Cat({Push({Cat({{0}, Str("\x96\xBC\x91\x4F")}), Cat({{0}, Str("\x95\x5C")})}), A(0x1D)}));
  EXPECT_EQ(Asm("名前 = \"表\";"), "ConstantPool 2\nPush '名前' '表'\nSetVariable\n");
}

TEST(ScriptCompiler, ConstantPoolIndexesAndWideIndexes) {
  EXPECT_EQ(Ok("a = a + \"a\";"),
            Cat({Pool({"a"}), Push({PushC(0), PushC(0)}), A(0x1C), Push({PushC(0)}), A(0x47), A(0x1D)}));
  std::string many;
  for (int i = 0; i < 300; ++i) many += "v" + std::to_string(i) + " = 1;";
  std::string text = Asm(many);
  EXPECT_NE(text.find("ConstantPool 300"), std::string::npos);
  EXPECT_NE(text.find("Push 'v299' 1"), std::string::npos);
  Bytes code = Ok(many);
  const uint8_t wide[] = {0x96, 0x08, 0x00, 9, 0x2B, 0x01, 7, 1};  // constant 299 as a 16-bit index
  EXPECT_NE(std::search(code.begin(), code.end(), std::begin(wide), std::end(wide)), code.end());
}

// --- global functions ---

TEST(ScriptCompiler, GetUrl2FlagsAsPlayersReadThem) {
  EXPECT_EQ(Asm("loadMovie(\"a.swf\", \"mc\");"), "ConstantPool 2\nPush 'a.swf' 'mc'\nGetURL2 64\n");
  EXPECT_EQ(Asm("loadVariables(\"v.txt\", \"mc\", \"POST\");"), "ConstantPool 2\nPush 'v.txt' 'mc'\nGetURL2 194\n");
  EXPECT_EQ(Asm("loadVariablesNum(\"v.txt\", 0, \"get\");"), "ConstantPool 2\nPush 'v.txt' '_level0'\nGetURL2 129\n");
  EXPECT_EQ(Asm("loadMovieNum(\"a.swf\", 2);"), "ConstantPool 2\nPush 'a.swf' '_level2'\nGetURL2 0\n");
  EXPECT_EQ(Asm("unloadMovie(\"mc\");"), "ConstantPool 2\nPush '' 'mc'\nGetURL2 64\n");
  EXPECT_EQ(Asm("unloadMovieNum(n);"),
            "ConstantPool 3\nPush '' '_level' 'n'\nGetVariable\nStringAdd\nGetURL2 0\n");
  EXPECT_EQ(Asm("getURL(u, \"_blank\", \"POST\");"), "ConstantPool 2\nPush 'u'\nGetVariable\nPush '_blank'\nGetURL2 2\n");
  EXPECT_EQ(Asm("getURL(\"a.html\");"), "GetURL \"a.html\" \"\"\n");
  EXPECT_EQ(Asm("fscommand(\"quit\");"), "GetURL \"FSCommand:quit\" \"\"\n");
  EXPECT_EQ(Asm("fscommand(c, \"1\");"),
            "ConstantPool 3\nPush 'FSCommand:' 'c'\nGetVariable\nStringAdd\nPush '1'\nGetURL2 0\n");
  EXPECT_NE(Err("getURL(\"a\", \"b\", \"PUT\");").message.find("GET"), std::string::npos);
}

TEST(ScriptCompiler, FrameAndClipActions) {
  EXPECT_EQ(Asm("gotoAndStop(f + 1);"), "ConstantPool 1\nPush 'f'\nGetVariable\nPush 1\nAdd2\nGotoFrame2 0\n");
  EXPECT_EQ(Asm("gotoAndPlay(\"x\" add n);", Target::Swf4),
            "Push \"x\" \"n\"\nGetVariable\nStringAdd\nGotoFrame2 1\n");
  EXPECT_EQ(Asm("play(); stop(); nextFrame(); prevFrame(); stopAllSounds(); toggleHighQuality(); stopDrag();"),
            "Play\nStop\nNextFrame\nPrevFrame\nStopSounds\nToggleQuality\nEndDrag\n");
  EXPECT_EQ(Asm("startDrag(\"mc\");", Target::Swf4), "Push \"0\" \"0\" \"mc\"\nStartDrag\n");
  EXPECT_EQ(Asm("startDrag(_root.mc, true, 1, 2, 3, 4);", Target::Swf4),
            "Push \"1\" \"2\" \"3\" \"4\" \"1\" \"1\" \"/mc\"\nStartDrag\n");
  EXPECT_EQ(Asm("duplicateMovieClip(\"a\", \"b\", d);", Target::Swf4),
            "Push \"a\" \"b\" \"d\"\nGetVariable\nPush \"16384\"\nAdd\nCloneSprite\n");
  EXPECT_EQ(Asm("removeMovieClip(\"b\"); x = getProperty(\"a\", _rotation); setProperty(\"a\", _visible, 0);",
                Target::Swf4),
            "Push \"b\"\nRemoveSprite\nPush \"x\" \"a\" \"10\"\nGetProperty\nSetVariable\n"
            "Push \"a\" \"7\" \"0\"\nSetProperty\n");
  EXPECT_EQ(Asm("x = int(random(6)) + getTimer(); call(\"sub\");", Target::Swf4),
            "Push \"x\" \"6\"\nRandomNumber\nToInteger\nGetTime\nAdd\nSetVariable\nPush \"sub\"\nCall\n");
  EXPECT_EQ(Asm("s = substring(t, 1, length(t)) add chr(ord(\"A\")) add mbchr(mbord(\"A\"));", Target::Swf4),
            "Push \"s\" \"t\"\nGetVariable\nPush \"1\" \"t\"\nGetVariable\nStringLength\nStringExtract\n"
            "Push \"A\"\nCharToAscii\nAsciiToChar\nStringAdd\nPush \"A\"\nMBCharToAscii\nMBAsciiToChar\n"
            "StringAdd\nSetVariable\n");
  EXPECT_EQ(Asm("set(\"v\" add i, eval(\"w\" add i)); n = mblength(mbsubstring(s, 1, 2));", Target::Swf4),
            "Push \"v\" \"i\"\nGetVariable\nStringAdd\nPush \"w\" \"i\"\nGetVariable\nStringAdd\nGetVariable\n"
            "SetVariable\nPush \"n\" \"s\"\nGetVariable\nPush \"1\" \"2\"\nMBStringExtract\nMBStringLength\n"
            "SetVariable\n");
  EXPECT_EQ(Asm("trace(targetPath(this));"), "ConstantPool 1\nPush 'this'\nGetVariable\nTargetPath\nTrace\n");
  EXPECT_EQ(Err("gotoAndPlay(\"Scene 2\", 1);").line, 1);
  EXPECT_NE(Err("trace(1, 2);").message.find("trace"), std::string::npos);
}

TEST(ScriptCompiler, IfFrameLoadedSkipsItsBodyByActionCount) {
  EXPECT_EQ(Asm("ifFrameLoaded(10) { gotoAndPlay(2); }"), "WaitForFrame 9 2\nGotoFrame 1\nPlay\n");
  EXPECT_EQ(Asm("ifFrameLoaded(n) { x = 1; play(); }", Target::Swf4),
            "Push \"n\"\nGetVariable\nWaitForFrame2 3\nPush \"x\" \"1\"\nSetVariable\nPlay\n");
  std::string longBody = "ifFrameLoaded(2) {";
  for (int i = 0; i < 130; ++i) longBody += "play(); stop();";
  EXPECT_NE(Err(longBody + "}").message.find("255"), std::string::npos);
}

// --- SWF 4 paths and subset ---

TEST(ScriptCompiler, SwfFourWritesSlashPathsAndProperties) {
  EXPECT_EQ(Asm("_root.a.b = 5; _parent._parent.c = d.e; _level1.v = this.w;", Target::Swf4),
            "Push \"/a:b\" \"5\"\nSetVariable\nPush \"../..:c\" \"d:e\"\nGetVariable\nSetVariable\n"
            "Push \"_level1:v\" \"w\"\nGetVariable\nSetVariable\n");
  EXPECT_EQ(Asm("_root.mc._xscale = _xmouse; n = mc.sub._name;", Target::Swf4),
            "Push \"/mc\" \"2\" \"\" \"20\"\nGetProperty\nSetProperty\nPush \"n\" \"mc/sub\" \"13\"\nGetProperty\n"
            "SetVariable\n");
  EXPECT_EQ(Asm("mc.gotoAndStop(3); this.play(); _root.loadMovie(\"b.swf\");", Target::Swf4),
            "SetTarget \"mc\"\nGotoFrame 2\nStop\nSetTarget \"\"\nPlay\nPush \"b.swf\" \"/\"\nGetURL2 64\n");
  EXPECT_EQ(Asm("if (a > b and not c) { n++; } else { s = s + \"!\"; }", Target::Swf4),
            "Push \"b\"\nGetVariable\nPush \"a\"\nGetVariable\nLess\nPush \"c\"\nGetVariable\nNot\nAnd\nNot\n"
            "If 23\nPush \"n\" \"n\"\nGetVariable\nPush \"1\"\nAdd\nSetVariable\nJump 18\n"
            "Push \"s\" \"s\"\nGetVariable\nPush \"!\"\nStringAdd\nSetVariable\n");
}

TEST(ScriptCompiler, SwfFourRefusesWhatItCannotExpressWithTheLine) {
  struct Case {
    const char* source;
    int line;
  };
  const Case cases[] = {
      {"x = 1;\nfunction f() {}", 2},        {"\n\nx = [1, 2];", 3},          {"x = {a: 1};", 1},
      {"x = 1;\no = new Object();", 2},       {"with (o) { x = 1; }", 1},    {"for (k in o) {}", 1},
      {"x = 1;\nx = 5 % 2;", 2},             {"x = a[1];", 1},               {"\nswitch (x) { case 1: }", 2},
      {"o.toString();", 1},                  {"x = typeof y;", 1},          {"trace(f(1));", 1},
      {"x = a & b;", 1},                     {"trace(\"\xF0\x9F\x98\x80\");", 1},
  };
  for (const Case& c : cases) {
    CompileError e = Err(c.source, Target::Swf4);
    EXPECT_EQ(e.line, c.line) << c.source << ": " << e.message;
    EXPECT_TRUE(Compile(c.source, Target::Swf6).ok()) << c.source;
  }
}

TEST(ScriptCompiler, SwfFourBodiesHoldOnlySwfFourActions) {
  std::string everything =
      "x = 1; y = x++ + --x; s = \"a\" add x; if (a && b || !c) { z = a ? 1 : 2; } while (i < 3) { i += 1; }\n"
      "do { j -= 1; } while (j > 0); for (k = 0; k < 2; k++) { if (k == 1) break; else continue; }\n"
      "mc._x = _root.other._y; _parent.v = -w; t = void u; tellTarget(\"/a\") { play(); }\n"
      "ifFrameLoaded(n) { stop(); } gotoAndPlay(f); trace(int(random(3)) + getTimer());\n"
      "getURL(u, \"_self\", \"GET\"); loadMovieNum(u, n); unloadMovie(\"/a\"); loadVariables(u, \"/b\");\n"
      "fscommand(c, d); startDrag(\"/a\", true); stopDrag(); duplicateMovieClip(\"/a\", \"b\", n);\n"
      "removeMovieClip(\"/b\"); setProperty(\"/a\", _alpha, 5); set(\"v\", eval(\"w\")); call(3);\n"
      "q = length(s) + ord(chr(65)) + mbord(mbchr(66)) + mblength(mbsubstring(substring(s, 1, 1), 1, 1));\n"
      "mc.gotoAndStop(2); mc.loadMovie(\"m.swf\"); r = a == b; r = a != \"b\"; r = a <= b; r = a >= b;";
  Bytes code = Ok(everything, Target::Swf4);
  for (uint8_t c : avm1test::Codes(code)) EXPECT_TRUE(avm1test::IsSwf4Action(c)) << avm1test::OpName(c);
}

// --- target 6 constructs ---

TEST(ScriptCompiler, FunctionsReturnAndLocals) {
  EXPECT_EQ(Asm("function sum(a:Number, b:Number):Number {\n  var s = a + b;\n  return s;\n}\ntrace(sum(1, 2));"),
            "ConstantPool 4\nDefineFunction \"sum\" (a,b) 23\nPush 's' 'a'\nGetVariable\nPush 'b'\nGetVariable\n"
            "Add2\nDefineLocal\nPush 's'\nGetVariable\nReturn\nPush 2 1 2 'sum'\nCallFunction\nTrace\n");
  // Declarations are hoisted above the code that calls them.
  EXPECT_EQ(Asm("f();\nfunction f() { return; }"),
            "ConstantPool 1\nDefineFunction \"f\" () 5\nPush undefined\nReturn\nPush 0 'f'\nCallFunction\nPop\n");
  EXPECT_EQ(Asm("var g = function (x) { return x * 2; };"),
            "ConstantPool 2\nPush 'g'\nDefineFunction \"\" (x) 16\nPush 'x'\nGetVariable\nPush 2\nMultiply\n"
            "Return\nDefineLocal\n");
}

TEST(ScriptCompiler, ObjectsArraysMethodsAndNew) {
  EXPECT_EQ(Asm("var a = [1, \"b\"]; o = new Date(2000, 1); o.x.y(3); d = new o.C(); o[k](); (f)(1);"),
            "ConstantPool 10\nPush 'a' 'b' 1 2\nInitArray\nDefineLocal\nPush 'o' 1 2000 2 'Date'\nNewObject\n"
            "SetVariable\nPush 3 1 'o'\nGetVariable\nPush 'x'\nGetMember\nPush 'y'\nCallMethod\nPop\n"
            "Push 'd' 0 'o'\nGetVariable\nPush 'C'\nNewMethod\nSetVariable\nPush 0 'o'\nGetVariable\nPush 'k'\n"
            "GetVariable\nCallMethod\nPop\nPush 1 1 'f'\nCallFunction\nPop\n");
  EXPECT_EQ(Asm("o = {a: 1, \"b c\": 2};"), "ConstantPool 3\nPush 'o' 'b c' 2 'a' 1 2\nInitObject\nSetVariable\n");
}

TEST(ScriptCompiler, OperatorsMapToTheirActions) {
  std::string cmp = Asm("t = a <= b; u = a >= b; v = a === b; w = a !== b; x = a <> b;");
  EXPECT_NE(cmp.find("Greater\nNot\nSetVariable"), std::string::npos);
  EXPECT_NE(cmp.find("Less2\nNot\nSetVariable"), std::string::npos);
  EXPECT_NE(cmp.find("StrictEquals\nSetVariable"), std::string::npos);
  EXPECT_NE(cmp.find("StrictEquals\nNot\nSetVariable"), std::string::npos);
  EXPECT_NE(cmp.find("Equals2\nNot\nSetVariable"), std::string::npos);
  EXPECT_EQ(Asm("x = a add b eq c;"), "ConstantPool 4\nPush 'x' 'a'\nGetVariable\nPush 'b'\nGetVariable\nStringAdd\n"
                                      "Push 'c'\nGetVariable\nStringEquals\nSetVariable\n");
  EXPECT_EQ(Asm("x = 1 + 2 * 3 - 4 / 2 % 3;"),
            "ConstantPool 1\nPush 'x' 1 2 3\nMultiply\nAdd2\nPush 4 2\nDivide\nPush 3\nModulo\nSubtract\n"
            "SetVariable\n");
  EXPECT_EQ(Asm("x = a | b ^ c & d << 1 >>> 2;"),
            "ConstantPool 5\nPush 'x' 'a'\nGetVariable\nPush 'b'\nGetVariable\nPush 'c'\nGetVariable\nPush 'd'\n"
            "GetVariable\nPush 1\nBitLShift\nPush 2\nBitURShift\nBitAnd\nBitXor\nBitOr\nSetVariable\n");
  EXPECT_EQ(Asm("x = !a || -b && ~c;"),
            "ConstantPool 4\nPush 'x' 'a'\nGetVariable\nNot\nPushDuplicate\nIf 36\nPop\nPush 0 'b'\nGetVariable\n"
            "Subtract\nPushDuplicate\nNot\nIf 16\nPop\nPush 'c'\nGetVariable\nPush -1\nBitXor\nSetVariable\n");
  EXPECT_EQ(Asm("x = c ? 1 : 2;"), "ConstantPool 2\nPush 'x' 'c'\nGetVariable\nIf 13\nPush 2\nJump 8\nPush 1\n"
                                   "SetVariable\n");
  EXPECT_EQ(Asm("x = void f; delete y; delete o[\"p\"]; x = a instanceof B;"),
            "ConstantPool 7\nPush 'x' 'f'\nGetVariable\nPop\nPush undefined\nSetVariable\nPush 'y'\nDelete2\nPop\n"
            "Push 'o'\nGetVariable\nPush 'p'\nDelete\nPop\nPush 'x' 'a'\nGetVariable\nPush 'B'\nGetVariable\n"
            "InstanceOf\nSetVariable\n");
}

TEST(ScriptCompiler, AssignmentsAsValuesAndUpdates) {
  EXPECT_EQ(Asm("a = b = 2;"), "ConstantPool 2\nPush 'a' 'b' 2\nStoreRegister 0\nSetVariable\nPush r:0\nSetVariable\n");
  EXPECT_EQ(Asm("i++; --j;"),
            "ConstantPool 2\nPush 'i' 'i'\nGetVariable\nIncrement\nSetVariable\nPush 'j' 'j'\nGetVariable\n"
            "Decrement\nSetVariable\n");
  EXPECT_EQ(Asm("x = i++;"), "ConstantPool 2\nPush 'x' 'i' 'i'\nGetVariable\nToNumber\nStoreRegister 0\n"
                             "Increment\nSetVariable\nPush r:0\nSetVariable\n");
  EXPECT_EQ(Asm("o[k] *= 3;"), "ConstantPool 2\nPush 'o'\nGetVariable\nPushDuplicate\nPush 'k'\nGetVariable\n"
                               "StoreRegister 0\nStackSwap\nPush r:0\nGetMember\nPush 3\nMultiply\nSetMember\n");
  EXPECT_EQ(Asm("x = a, b;"), "ConstantPool 3\nPush 'x' 'a'\nGetVariable\nSetVariable\nPush 'b'\nGetVariable\nPop\n");
}

TEST(ScriptCompiler, LoopsAndBranches) {
  EXPECT_EQ(Asm("while (i < 3) { if (i == 1) continue; i++; }"),
            "ConstantPool 1\nPush 'i'\nGetVariable\nPush 3\nLess2\nNot\nIf 41\nPush 'i'\nGetVariable\nPush 1\n"
            "Equals2\nNot\nIf 5\nJump -47\nPush 'i' 'i'\nGetVariable\nIncrement\nSetVariable\nJump -62\n");
  EXPECT_EQ(Asm("do { n--; } while (n > 0);"),
            "ConstantPool 1\nPush 'n' 'n'\nGetVariable\nDecrement\nSetVariable\nPush 'n'\nGetVariable\nPush 0\n"
            "Greater\nIf -30\n");
  EXPECT_EQ(Asm("for (var i = 0; i < 2; i++) { if (i) break; }"),
            "ConstantPool 1\nPush 'i' 0\nDefineLocal\nPush 'i'\nGetVariable\nPush 2\nLess2\nNot\nIf 32\n"
            "Push 'i'\nGetVariable\nNot\nIf 5\nJump 15\nPush 'i' 'i'\nGetVariable\nIncrement\nSetVariable\n"
            "Jump -53\n");
  EXPECT_EQ(Asm("for (;;) { break; }"), "Jump 5\nJump -10\n");
  EXPECT_EQ(Asm("if (!a) b(); else if (c) d();"),
            "ConstantPool 4\nPush 'a'\nGetVariable\nIf 17\nPush 0 'b'\nCallFunction\nPop\nJump 24\nPush 'c'\n"
            "GetVariable\nNot\nIf 12\nPush 0 'd'\nCallFunction\nPop\n");
}

TEST(ScriptCompiler, ForInEnumeratesAndCleansUpWhenLeftEarly) {
  EXPECT_EQ(Asm("function f(o) { for (var k in o) { if (k) return k; } }"),
            "ConstantPool 2\nDefineFunction \"f\" (o) 85\nPush 'o'\nGetVariable\nEnumerate2\nStoreRegister 0\n"
            "Push null\nEquals2\nIf 64\nPush 'k' r:0\nDefineLocal\nPush 'k'\nGetVariable\nNot\nIf 28\n"
            "Push 'k'\nGetVariable\nStoreRegister 0\nPop\nPush null\nEquals2\nNot\nIf -11\nPush r:0\nReturn\n"
            "Jump -67\nPush null\nEquals2\nNot\nIf -11\n");
}

TEST(ScriptCompiler, SwitchComparesStrictlyAndFallsThrough) {
  EXPECT_EQ(Asm("switch (x) { case 1: a(); case \"b\": break; default: c(); }"),
            "ConstantPool 4\nPush 'x'\nGetVariable\nPushDuplicate\nPush 1\nStrictEquals\nIf 18\nPushDuplicate\n"
            "Push 'b'\nStrictEquals\nIf 12\nPop\nJump 29\nPop\nJump 6\nPop\nJump 12\nPush 0 'a'\nCallFunction\n"
            "Pop\nJump 12\nPush 0 'c'\nCallFunction\nPop\n");
}

TEST(ScriptCompiler, WithAndTellTargetBlocks) {
  EXPECT_EQ(Asm("with (_root.mc) { _x = 5; }"),
            "ConstantPool 3\nPush '_root'\nGetVariable\nPush 'mc'\nGetMember\nWith 11\nPush '_x' 5\nSetVariable\n");
  EXPECT_EQ(Asm("tellTarget(\"/a\") { stop(); }"), "SetTarget \"/a\"\nStop\nSetTarget \"\"\n");
  EXPECT_EQ(Asm("tellTarget(t) { play(); }"), "ConstantPool 1\nPush 't'\nGetVariable\nSetTarget2\nPlay\nSetTarget \"\"\n");
  EXPECT_EQ(Asm("while (1) { tellTarget(\"/a\") { break; } }"),
            "Push 1\nNot\nIf 24\nSetTarget \"/a\"\nSetTarget \"\"\nJump 9\nSetTarget \"\"\nJump -38\n");
}

TEST(ScriptCompiler, ReturnInAFrameScriptEndsIt) {
  EXPECT_EQ(Asm("if (done) return;\nplay();"), "ConstantPool 1\nPush 'done'\nGetVariable\nNot\nIf 5\nJump 1\nPlay\n");
}

TEST(ScriptCompiler, SyntaxFreedoms) {
  // Semicolons may be left off at line ends; comments anywhere.
  EXPECT_EQ(Ok("x = 1\ny = 2 // two\n/* three\n */ z = 3"), Ok("x = 1; y = 2; z = 3;"));
  EXPECT_EQ(Ok("var n:Number = 1; var s:mx.lang.String;"), Ok("var n = 1; var s;"));
  EXPECT_EQ(Ok("x = y\n++z"), Ok("x = y; ++z;"));
  EXPECT_EQ(Asm(";;{}"), "");
  EXPECT_EQ(Ok(""), Bytes{});
  EXPECT_EQ(Ok("a = 1;\r\nb = 2;\rc = 3;"), Ok("a = 1;\nb = 2;\nc = 3;"));
  EXPECT_EQ(Asm("o.delete = 1;"), "ConstantPool 2\nPush 'o'\nGetVariable\nPush 'delete' 1\nSetMember\n");
  EXPECT_EQ(Asm("t = \"a\" add newline;", Target::Swf4), "Push \"t\" \"a\" \"\n\"\nStringAdd\nSetVariable\n");
}

// --- errors ---

TEST(ScriptCompiler, ErrorsNameLineAndColumn) {
  struct Case {
    const char* source;
    int line;
    int column;
  };
  const Case cases[] = {
      {"a = 1\nb = 2\nc = a b;", 3, 7},
      {"x = 1;\nclass Foo {}", 2, 1},
      {"\n  s = \"abc", 2, 7},
      {"x = (1 + ;", 1, 10},
      {"if (x) {\n  y = 1;\n", 3, 1},
      {"/* never closed", 1, 1},
      {"x = 1;\n\ttry { } catch (e) { }", 2, 2},
      {"throw 1;", 1, 1},
      {"import mx.Foo;", 1, 1},
      {"interface I {}", 1, 1},
      {"1 = 2;", 1, 3},
      {"x++ ++;", 1, 5},
      {"break;", 1, 1},
      {"\nfor (;;) { with (o) { continue; } }", 2, 23},
      {"日本 = 1; #", 1, 9},
      {"x = 0x;", 1, 5},
      {"x = 3abc;", 1, 5},
      {"x = \"a\\0b\";", 1, 5},
      {"switch (x) { default: default: }", 1, 23},
      {"x = \"\xFF\";", 1, 6},
  };
  for (const Case& c : cases) {
    CompileError e = Err(c.source);
    EXPECT_EQ(e.line, c.line) << c.source << ": " << e.message;
    EXPECT_EQ(e.column, c.column) << c.source << ": " << e.message;
    EXPECT_FALSE(e.message.empty());
  }
}

TEST(ScriptCompiler, SixteenBitFieldsOverflowAsErrorsNotBytes) {
  std::string big = "x = 0;\nif (x) {\n";
  for (int i = 0; i < 5000; ++i) big += "trace(1);\n";
  big += "}";
  CompileError e = Err(big);
  EXPECT_EQ(e.line, 2);
  EXPECT_NE(e.message.find("jump"), std::string::npos);

  std::string fn = "\nfunction f() {\n";
  for (int i = 0; i < 9000; ++i) fn += "trace(1);\n";
  fn += "}";
  EXPECT_EQ(Err(fn).line, 2);

  std::string withBlock = "with (o) {";
  for (int i = 0; i < 9000; ++i) withBlock += "trace(1);";
  EXPECT_EQ(Err(withBlock + "}").line, 1);

  // Just inside the limits it still compiles, and the jump lands right.
  std::string fits = "if (x) {";
  for (int i = 0; i < 3000; ++i) fits += "trace(1);";
  Ok(fits + "}");
}

TEST(ScriptCompiler, DeepNestingAndHugeInputAreRefusedNotCrashed) {
  std::string deep(5000, '(');
  deep = "x = " + deep + "1" + std::string(5000, ')') + ";";
  EXPECT_NE(Err(deep).message.find("deep"), std::string::npos);
  std::string blocks(20000, '{');
  EXPECT_FALSE(Compile(blocks, Target::Swf6).ok());
  std::string nots = "x = " + std::string(100000, '!') + "y;";
  EXPECT_FALSE(Compile(nots, Target::Swf6).ok());
  std::string chain = "x = 1";
  for (int i = 0; i < 2000; ++i) chain += " + 1";
  EXPECT_NE(Err(chain).message.find("complex"), std::string::npos);
  std::string huge(kMaxSourceBytes + 1, ' ');
  EXPECT_EQ(Err(huge).line, 1);
}

// Past a size, the compiler no longer holds a script's whole tree: it parses
// it a statement at a time, twice. A long comment at the end takes a script
// there without changing what it means, so it must give the same bytes, or
// the same error at the same place.
TEST(ScriptCompiler, ScriptsTooLargeToHoldWholeCompileAsTheSameScriptHeldWhole) {
  const std::string padding = "\n/*" + std::string(200000, '-') + "*/\n";
  const std::string sources[] = {
      // functions hoisted from between statements; strings pooled; escapes
      "trace(f(2) + \"\\u3042\\n\" + o.k);\nfunction f(x) { return x * 2; }\n"
      "var o = {k: 'v\\t', n: [1, \"two\"]};\nfor (var p in o) { if (p == \"n\") break; trace(p); }\n"
      "function g(a, b) { var s = 'k\\x41'; return f(a) + s; }\ntrace(g(1));",
      // a return that leaves the frame script from a later statement
      "switch (a) { case \"x\": trace(1); break; default: trace(2); }\nif (done) return;\n"
      "tellTarget (\"/mc\") { gotoAndPlay(\"l\"); }\nfunction h() { return; }\nx = 'tail';",
      "x = 1;\nnextFrame();\ny = x add \"z\";\ntellTarget (\"/a\") { stop(); }\n",
      // which error comes first: the functions' before the others', syntax before both
      "x = 1;\nbreak;\nfunction f() { continue; }\ny = 2;",
      "break;\nfunction f() {}\nx = (1 + ;",
      "ifFrameLoaded (2) {" + [] {
        std::string body;
        for (int i = 0; i < 300; ++i) body += " play();";
        return body;
      }() + " }\nfunction f() {}",
  };
  for (const std::string& source : sources)
    for (Target target : {Target::Swf4, Target::Swf6}) {
      CompileResult whole = Compile(source, target);
      CompileResult parts = Compile(source + padding, target);
      EXPECT_EQ(parts.actions, whole.actions) << source;
      ASSERT_EQ(parts.ok(), whole.ok()) << source;
      if (whole.ok()) continue;
      EXPECT_EQ(parts.error->message, whole.error->message) << source;
      EXPECT_EQ(parts.error->line, whole.error->line) << source;
      EXPECT_EQ(parts.error->column, whole.error->column) << source;
    }
  EXPECT_EQ(Err("x = 1;\nbreak;\nfunction f() { continue; }\ny = 2;" + padding).line, 3);
  EXPECT_EQ(Err("break;\nfunction f() {}\nx = (1 + ;" + padding).line, 3);
}

// Of two jumps that cannot reach, the one earlier in the code is reported,
// even when the later one is found to fail first.
TEST(ScriptCompiler, TheFirstJumpTooFarInTheCodeIsTheOneReported) {
  std::string filler;
  for (int i = 0; i < 5000; ++i) filler += "trace(1);\n";
  CompileError e = Err("if (a) {\n" + filler + "while (b) {\n" + filler + "}\n}");
  EXPECT_NE(e.message.find("jump"), std::string::npos);
  EXPECT_EQ(e.line, 1);
}

TEST(ScriptCompiler, CompilingTwiceGivesTheSameBytes) {
  std::string source =
      "function f(a) { var t = {}; for (var k in a) t[k] = a[k]; return t; }\n"
      "switch (f(x).y) { case 1: trace(\"one\"); break; default: trace(z ? \"a\" : \"b\"); }";
  EXPECT_EQ(Ok(source), Ok(source));
  EXPECT_EQ(Ok("x = y + 1;", Target::Swf4), Ok("x = y + 1;", Target::Swf4));
}

}  // namespace
}  // namespace tesmiro::script
