// Background, frame labels, built-in actions, buttons, sprite headers,
// export names and the automatic character IDs.
#include <algorithm>

#include "platform/numeric.h"
#include "swf/script_compiler.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {

using swf::CurrentScriptCompiler;
using swf::ScriptCompiler;
namespace {

Bytes Compile(const std::string& script) {
  ScriptCompiler* compiler = CurrentScriptCompiler();
  if (!compiler) return {};
  return compiler->compileScript(script, 0, GetSWFVersion());
}

// The frame of a jump-to-frame action, as the number it must be: the text
// is never pasted into a script as it stands.
std::string FrameNumberText(const std::string& text) {
  return num::CStr(num::RoundHalfEven(num::Val(text)));
}

struct ButtonRecord {
  int bits;
  int32_t id;
};

// Up, down, over and hit records: a state with its own character takes its
// bit away from the up record, which always keeps at least "up".
std::vector<ButtonRecord> ButtonRecords(int32_t up, int32_t down, int32_t over, int32_t hit) {
  ButtonRecord rUp{15, up}, rDown{0, down}, rOver{0, over}, rHit{0, hit};
  if (down > 0) rDown.bits = 4, rUp.bits &= ~4;
  if (over > 0) rOver.bits = 2, rUp.bits &= ~2;
  if (hit > 0) rHit.bits = 8, rUp.bits &= ~8;
  std::vector<ButtonRecord> out;
  for (const ButtonRecord& r : {rUp, rDown, rOver, rHit})
    if (r.bits != 0) out.push_back(r);
  return out;
}

int32_t WriteButtonRecords(int32_t up, int32_t down, int32_t over, int32_t hit, int32_t depth, bool withCxform) {
  const size_t before = OutputBuffer().size();
  const Bytes identity = MakeMatrix(1.0f, 1.0f, 0, 0, 0, 0);
  const Bytes cxform = MakeCXForm(256, 256, 256, 256, 0, 0, 0, 0);
  for (const ButtonRecord& r : ButtonRecords(up, down, over, hit)) {
    OutputBuffer().push_back(static_cast<uint8_t>(r.bits));
    WriteU16(r.id);
    WriteU16(DepthIndex(depth));
    OutputBuffer().insert(OutputBuffer().end(), identity.begin(), identity.end());
    if (withCxform) OutputBuffer().insert(OutputBuffer().end(), cxform.begin(), cxform.end());
  }
  return static_cast<int32_t>(OutputBuffer().size() - before);
}

// Size, condition and end byte around a button handler's actions.
constexpr size_t kButtonConditionBytes = 5;

bool ButtonDepthOk(int32_t depth) {
  if (depth >= kMinDepth && depth <= kMaxDepth) return true;
  WriterState().diagnostics.push_back("ボタンの深度 " + std::to_string(depth) + " は -256 から 256 の範囲にありません");
  return false;
}

}  // namespace

int32_t NextAutoID() {
  State& s = WriterState();
  if (s.autoID >= kPreviewSpriteID) {
    s.diagnostics.push_back("自動キャラクタIDが足りません（" + std::to_string(kPreviewSpriteID - kFirstAutoID) +
                            " 個まで）");
    return 0;
  }
  return s.autoID++;
}

void WriteSetBackgroundColor(uint8_t r, uint8_t g, uint8_t b) {
  WriteTagHeader(TagCode::SetBackgroundColor, 3);
  OutputBuffer().insert(OutputBuffer().end(), {r, g, b});
}

void WriteFrameLabel(std::string_view label) {
  const Bytes b = StringToBytes(label);
  WriteTagHeader(TagCode::FrameLabel, static_cast<int32_t>(b.size()), TagForm::Long);
  OutputBuffer().insert(OutputBuffer().end(), b.begin(), b.end());
}

std::string QuoteScriptString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

int32_t BuildSimpleAction(const std::string& text1, const std::string& text2, ActionKind kind) {
  Bytes actions;
  switch (kind) {
    case ActionKind::JumpToLabel:
      actions = Compile("gotoAndPlay(" + QuoteScriptString(text1) + ");");
      break;
    case ActionKind::GetURL:
      actions = Compile("getURL(" + QuoteScriptString(text1) + "," + QuoteScriptString(text2) + ");");
      break;
    case ActionKind::Play: actions = {0x06}; break;
    case ActionKind::Stop: actions = {0x07}; break;
    case ActionKind::NextFrame: actions = {0x04, 0x06}; break;
    case ActionKind::PreviousFrame: actions = {0x05, 0x06}; break;
    case ActionKind::JumpToFrame:
      actions = Compile("gotoAndPlay(" + FrameNumberText(text1) + ");");
      break;
    case ActionKind::StopSounds:
      actions = {0x09};
      ResetSoundStream();
      break;
    case ActionKind::Script:
      actions = Compile(text2);
      break;
    default:
      break;
  }
  OutputBuffer().insert(OutputBuffer().end(), actions.begin(), actions.end());
  return static_cast<int32_t>(actions.size());
}

void WriteDoAction(const std::string& text1, const std::string& text2, ActionKind kind) {
  const size_t lengthAt = WriteTagHeader(TagCode::DoAction, 0, TagForm::Long);
  const int32_t count = BuildSimpleAction(text1, text2, kind);
  PatchU32(lengthAt, count + 1);
  WriteHex("00");
}

int32_t WriteDefineButton(int32_t up, int32_t down, int32_t over, int32_t hit, ActionKind kind,
                          const std::string& text1, const std::string& text2, int32_t depth) {
  if (!ButtonDepthOk(depth)) return 0;
  const int32_t id = NextAutoID();
  if (id == 0) return 0;
  const size_t lengthAt = WriteTagHeader(TagCode::DefineButton, 0, TagForm::Long);
  WriteU16(id);
  WriteButtonRecords(up, down, over, hit, depth, false);
  WriteHex("00");
  BuildSimpleAction(text1, text2, kind);
  WriteHex("00");
  PatchTagLength(lengthAt);
  return id;
}

int32_t WriteDefineButton2(int32_t up, int32_t down, int32_t over, int32_t hit, ActionKind kind,
                           const std::string& text1, const std::string& script, int32_t depth) {
  (void)text1;
  if (!ButtonDepthOk(depth)) return 0;
  struct Handler {
    int32_t condition;
    Bytes actions;
  };
  std::vector<Handler> handlers;
  ScriptCompiler* compiler = CurrentScriptCompiler();
  if (!script.empty() && kind == ActionKind::Script && compiler) {
    std::string rest = compiler->expandFileInclude(script);
    int32_t line = 0;
    while (!rest.empty()) {
      const size_t before = rest.size();
      int32_t condition = 0;
      Bytes actions = compiler->compileButtonHandler(rest, condition, line, GetSWFVersion());
      if (!actions.empty()) {
        // The offset to the next handler is a 16-bit field: a longer handler
        // cannot be written, and a wrapped offset would corrupt the movie.
        if (actions.size() + kButtonConditionBytes > 65535) {
          WriterState().diagnostics.push_back("ボタンのスクリプトが長すぎます（ハンドラ 1 つのアクションが " +
                                        std::to_string(65535 - kButtonConditionBytes) +
                                        " バイトまで、" + std::to_string(actions.size()) +
                                        " バイトあります）。このボタンは配置されません");
          return 0;
        }
        handlers.push_back({condition, std::move(actions)});
      }
      if (rest.size() >= before) break;
    }
  }
  const int32_t id = NextAutoID();
  if (id == 0) return 0;
  const size_t lengthAt = WriteTagHeader(TagCode::DefineButton2, 0, TagForm::Long);
  WriteU16(id);
  WriteHex("00");
  const auto offsetAt = static_cast<size_t>(Reserve(2));
  const int32_t recordBytes = WriteButtonRecords(up, down, over, hit, depth, true);
  WriteHex("00");
  const int32_t actionOffset = 3 + recordBytes;
  const bool anyActions = !handlers.empty();
  for (const Handler& h : handlers) {
    WriteU16(static_cast<int32_t>(h.actions.size() + kButtonConditionBytes));
    WriteU16(h.condition);
    OutputBuffer().insert(OutputBuffer().end(), h.actions.begin(), h.actions.end());
    WriteHex("00");
  }
  if (anyActions) {
    WriteHex("0000000000");
    PatchU16(offsetAt, actionOffset);
  }
  PatchTagLength(lengthAt);
  return id;
}

void WriteSpriteHeader(int32_t id) {
  // The length stays a placeholder until the sprite's frames are written.
  WriteTagHeader(TagCode::DefineSprite, 4, TagForm::Long);
  WriteU16(id);
  WriteHex("0000");
}

void WriteExportName(int32_t id, std::string_view name) {
  const Bytes b = StringToBytes(name);
  const auto n = static_cast<int32_t>(b.size());
  if (GetSWFVersion() == 4) {
    WriteTagHeader(TagCode::NameCharacter, n + 2, TagForm::Long);
  } else {
    WriteTagHeader(TagCode::ExportAssets, n + 4, TagForm::Long);
    WriteHex("0100");
  }
  WriteU16(id);
  OutputBuffer().insert(OutputBuffer().end(), b.begin(), b.end());
}

}  // namespace tesmiro::SWFMakeCore
