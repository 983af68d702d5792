#include "media/action_compiler.h"

#include <array>
#include <climits>
#include <optional>
#include <system_error>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/gcc_quirks.h"
#include "swf/swf_writer.h"

namespace tesmiro::ActionCompiler {
namespace {

constexpr char kSeparator[] = "\r\n-\r\n";
constexpr size_t kSeparatorLength = 5;

enum class HandlerKind { Clip, Button };

struct BlockCut {
  std::string block;
  int32_t skippedLines = 0;  // blank lines removed after the separator
};

struct HeaderError {
  const char* text;
};

int32_t CompileHandler(HandlerKind kind, std::string& script, std::vector<uint8_t>& bytes, int32_t& bits,
                       int32_t& line, int32_t& keyCode, int swfVersion);
BlockCut CutBlock(std::string& script);
std::optional<HeaderError> ParseHeader(HandlerKind kind, std::string& rest, int32_t& bits, int32_t& keyCode);
void RecordError(std::string text);
// Errors of a compile the writer asked for go into its diagnostics, in order
// with its own.
void PassErrorsToWriter();
script::CompileResult RunCompiler(std::string_view source, script::Target target);
// What the user is told of a script that does not compile, before "：Line n".
const char* CompileErrorText(script::ErrorKind kind);
std::optional<std::filesystem::path> ResolveInFolder(const std::filesystem::path& folder,
                                                     std::string_view relative);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
std::string CrLfToLf(std::string_view text);

}  // namespace

State& ModuleState() {
  static State state;
  return state;
}

void ResetState() { ModuleState() = State{}; }

int32_t GetScriptErrorLine() { return ModuleState().errorLine; }

int32_t CompileScript(const std::string& script, std::vector<uint8_t>& bytes, int32_t lineBase,
                      int swfVersion) {
  State& state = ModuleState();
  state.errorLine = 0;
  bytes.clear();
  const script::Target target = swfVersion == 4 ? script::Target::Swf4 : script::Target::Swf6;
  const std::string source = CrLfToLf(ExpandFileInclude(script));

  script::CompileResult result = RunCompiler(source, target);
  if (result.error) {
    const int64_t line = static_cast<int64_t>(result.error->line) + lineBase;
    const int32_t clamped = line > INT32_MAX ? INT32_MAX : line < INT32_MIN ? INT32_MIN : static_cast<int32_t>(line);
    RecordError(std::string(CompileErrorText(result.error->kind)) + "：Line " + std::to_string(clamped));
    state.errorLine = clamped;
    return 0;
  }
  if (result.actions.empty() || result.actions.size() > static_cast<size_t>(INT32_MAX)) return 0;
  bytes = std::move(result.actions);
  return static_cast<int32_t>(bytes.size());
}

int32_t CompileClipEventHandler(std::string& script, std::vector<uint8_t>& bytes, int32_t& flags,
                                int32_t& line, int32_t& keyCode, int swfVersion) {
  return CompileHandler(HandlerKind::Clip, script, bytes, flags, line, keyCode, swfVersion);
}

int32_t CompileButtonHandler(std::string& script, std::vector<uint8_t>& bytes, int32_t& condition,
                             int32_t& line, int swfVersion) {
  int32_t unusedKeyCode = 0;
  return CompileHandler(HandlerKind::Button, script, bytes, condition, line, unusedKeyCode, swfVersion);
}

std::string ExpandFileInclude(const std::string& script) {
  std::string text = NormalizeLineBreaks(script);
  std::string rest = text;
  SkipBlanks(rest);
  if (!StartsWithNoCase(rest, "#file")) return text;
  rest.erase(0, 5);
  SkipBlanks(rest);
  if (rest.empty() || rest[0] != '"') return text;

  const size_t close = rest.find('"', 1);
  if (close == std::string::npos) {
    RecordError("ファイルがありません：");
    return "";
  }
  std::string written = rest.substr(1, close - 1);
  SkipBlanks(written);

  std::string relative = written;
  if (!relative.empty() && relative[0] == '\\') {
    TESMIRO_GCC12_COPY_WARNINGS_OFF
    relative.insert(0, ".");
    TESMIRO_GCC12_COPY_WARNINGS_ON
  } else if (relative.empty() || relative[0] != '.') {
    relative.insert(0, ".\\");
  }

  const Settings& settings = ModuleState().settings;
  std::optional<std::filesystem::path> found;
  if (!settings.projectPath.empty()) {
    found = ResolveInFolder(std::filesystem::path(settings.projectPath).parent_path(), relative);
  }
  if (!found && !settings.programFolder.empty()) found = ResolveInFolder(settings.programFolder, relative);

  if (!found) {
    RecordError("ファイルがありません：" + written);
    return "";
  }
  const auto content = fileio::ReadAll(*found, script::kMaxSourceBytes);
  if (!content) {
    // It is there, so "missing" would send the user looking in vain: the
    // reader says why it could not be read.
    RecordError(content.message());
    return "";
  }
  const std::string_view raw(reinterpret_cast<const char*>(content->data()), content->size());
  return NormalizeLineBreaks(enc::DecodeTextFile(raw));
}

std::string CutHandlerBlock(std::string& script) { return CutBlock(script).block; }

std::string NextToken(std::string& text) {
  // Longer names stand before their prefixes: releaseoutside/release,
  // onclipevent/on, unload/load.
  static constexpr std::array<std::string_view, 27> kTokens = {
      "data",     "keyup",   "keydown",        "mouseup", "mousedown", "mousemove", "enterframe",
      "unload",   "load",    "press",          "releaseoutside",       "release",   "rollover",
      "rollout",  "dragover", "dragout",       "keypress", "onclipevent",          "initialize",
      "construct", "on",     "(",              ",",        ")",         "<",         ">",
      "\""};
  SkipBlanks(text);
  for (std::string_view token : kTokens) {
    if (StartsWithNoCase(text, token)) {
      text.erase(0, token.size());
      return std::string(token);
    }
  }
  return "";
}

int32_t ParseKeyCode(std::string& text) {
  struct NamedKey {
    std::string_view name;
    int32_t code;
  };
  static constexpr std::array<NamedKey, 14> kNamedKeys = {{{"<left>", 1},
                                                           {"<right>", 2},
                                                           {"<home>", 3},
                                                           {"<end>", 4},
                                                           {"<insert>", 5},
                                                           {"<delete>", 6},
                                                           {"<backspace>", 8},
                                                           {"<enter>", 13},
                                                           {"<up>", 14},
                                                           {"<down>", 15},
                                                           {"<pageup>", 16},
                                                           {"<pagedown>", 17},
                                                           {"<tab>", 18},
                                                           {"<escape>", 19}}};
  if (NextToken(text) != "\"") return 0;
  int32_t code = 0;
  size_t taken = 0;
  for (const NamedKey& key : kNamedKeys) {
    if (StartsWithNoCase(text, key.name)) {
      code = key.code;
      taken = key.name.size();
      break;
    }
  }
  if (taken == 0) {
    if (text.empty()) return 0;
    const auto first = static_cast<unsigned char>(text[0]);
    // The key field holds 7 bits (the button condition keeps it in bits 9 to
    // 15); a character beyond ASCII cannot be expressed there.
    if (first == 0 || first >= 0x80) return 0;
    code = first;
    taken = 1;
  }
  text.erase(0, taken);
  if (NextToken(text) != "\"") return 0;
  return code;
}

int32_t LineOfText(std::string_view text, std::string_view part) {
  const size_t at = text.find(part);
  return CountLineBreaks(text.substr(0, at == std::string_view::npos ? text.size() : at));
}

int32_t CountLineBreaks(std::string_view text) {
  int32_t count = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '\r' && text[i + 1] == '\n') ++count;
  }
  return count;
}

void SkipBlanks(std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
    } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      i += 2;
    } else {
      break;
    }
  }
  text.erase(0, i);
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::vector<uint8_t> Binding::compileScript(const std::string& script, int32_t lineBase, int swfVersion) {
  std::vector<uint8_t> bytes;
  CompileScript(script, bytes, lineBase, swfVersion);
  PassErrorsToWriter();
  return bytes;
}

std::string Binding::expandFileInclude(const std::string& script) {
  std::string text = ExpandFileInclude(script);
  PassErrorsToWriter();
  return text;
}

std::vector<uint8_t> Binding::compileClipEventHandler(std::string& script, int32_t& flags, int32_t& line,
                                                      int32_t& keyCode, int swfVersion) {
  std::vector<uint8_t> bytes;
  CompileClipEventHandler(script, bytes, flags, line, keyCode, swfVersion);
  PassErrorsToWriter();
  return bytes;
}

std::vector<uint8_t> Binding::compileButtonHandler(std::string& script, int32_t& condition, int32_t& line,
                                                   int swfVersion) {
  std::vector<uint8_t> bytes;
  CompileButtonHandler(script, bytes, condition, line, swfVersion);
  PassErrorsToWriter();
  return bytes;
}

swf::ScriptCompiler* BindingInstance() {
  static Binding binding;
  return &binding;
}

void InstallBinding() { swf::InstallScriptCompiler(BindingInstance()); }

namespace {

int32_t CompileHandler(HandlerKind kind, std::string& script, std::vector<uint8_t>& bytes, int32_t& bits,
                       int32_t& line, int32_t& keyCode, int swfVersion) {
  State& state = ModuleState();
  state.errorLine = 0;
  bytes.clear();
  script = NormalizeLineBreaks(script);
  BlockCut cut = CutBlock(script);
  const std::string& block = cut.block;

  std::string rest = block;
  SkipBlanks(rest);
  // Blank lines before the header still belong to this block's lines.
  const int32_t leadingLines = CountLineBreaks(std::string_view(block).substr(0, block.size() - rest.size()));

  if (std::optional<HeaderError> error = ParseHeader(kind, rest, bits, keyCode)) {
    const int32_t errorLine = line + 1 + leadingLines;
    state.errorLine = errorLine;
    RecordError(std::string(error->text) + "：Line " + std::to_string(errorLine));
    bits = 0;
    line += CountLineBreaks(block) + 2 + cut.skippedLines;
    return 0;
  }

  // The body is what the header left of the block; counting the header's
  // line breaks directly (rather than searching for the body's text in the
  // script) stays right when the body's text also occurs earlier.
  line += CountLineBreaks(std::string_view(block).substr(0, block.size() - rest.size()));
  const int32_t bodyLines = CountLineBreaks(rest);
  const int32_t length = CompileScript(rest, bytes, line, swfVersion);
  line += bodyLines + 2 + cut.skippedLines;
  return length;
}

BlockCut CutBlock(std::string& script) {
  BlockCut cut;
  const size_t p = script.find(kSeparator);
  if (p == std::string::npos) {
    cut.block = std::move(script);
    script.clear();
    return cut;
  }
  cut.block = script.substr(0, p);
  std::string rest = script.substr(p + kSeparatorLength);
  const size_t before = rest.size();
  SkipBlanks(rest);
  cut.skippedLines = CountLineBreaks(std::string_view(script).substr(p + kSeparatorLength, before - rest.size()));
  script = std::move(rest);
  return cut;
}

struct EventBit {
  std::string_view name;
  int32_t bit;
};

constexpr std::array<EventBit, 19> kClipEvents = {{{"load", 0x1},
                                                   {"enterframe", 0x2},
                                                   {"unload", 0x4},
                                                   {"mousemove", 0x8},
                                                   {"mousedown", 0x10},
                                                   {"mouseup", 0x20},
                                                   {"keydown", 0x40},
                                                   {"keyup", 0x80},
                                                   {"data", 0x100},
                                                   {"initialize", 0x200},
                                                   {"press", 0x400},
                                                   {"release", 0x800},
                                                   {"releaseoutside", 0x1000},
                                                   {"rollover", 0x2000},
                                                   {"rollout", 0x4000},
                                                   {"dragover", 0x8000},
                                                   {"dragout", 0x10000},
                                                   {"keypress", 0x20000},
                                                   {"construct", 0x40000}}};

constexpr std::array<EventBit, 7> kButtonEvents = {{{"rollover", 0x01},
                                                    {"rollout", 0x02},
                                                    {"press", 0x04},
                                                    {"release", 0x08},
                                                    {"dragout", 0x10},
                                                    {"dragover", 0x20},
                                                    {"releaseoutside", 0x40}}};

std::optional<HeaderError> ParseHeader(HandlerKind kind, std::string& rest, int32_t& bits, int32_t& keyCode) {
  const std::string head = NextToken(rest);
  if (kind == HandlerKind::Clip) {
    if (head != "onclipevent" && head != "on") return HeaderError{"onClipEvent または on が必要です"};
  } else if (head != "on") {
    return HeaderError{"on が必要です"};
  }
  if (NextToken(rest) != "(") return HeaderError{"( が必要です"};

  while (true) {
    const std::string event = NextToken(rest);
    if (event == "keypress") {
      const int32_t key = ParseKeyCode(rest);
      if (key == 0) return HeaderError{"不正なキーコードです"};
      if (kind == HandlerKind::Clip) {
        bits |= 0x20000;
        keyCode = key;
      } else {
        bits |= key * 512;
      }
    } else {
      bool known = false;
      if (kind == HandlerKind::Clip) {
        for (const EventBit& e : kClipEvents) {
          if (e.name == event) {
            bits |= e.bit;
            known = true;
          }
        }
      } else {
        for (const EventBit& e : kButtonEvents) {
          if (e.name == event) {
            bits |= e.bit;
            known = true;
          }
        }
      }
      if (!known) return HeaderError{"不正なイベント名です"};
    }
    if (NextToken(rest) != ",") return std::nullopt;
  }
}

void RecordError(std::string text) { ModuleState().errors.push_back(std::move(text)); }

void PassErrorsToWriter() {
  std::vector<std::string>& errors = ModuleState().errors;
  auto& diagnostics = SWFMakeCore::WriterState().diagnostics;
  for (std::string& text : errors) diagnostics.push_back({SWFMakeCore::Diagnostic::Kind::ScriptError, std::move(text)});
  errors.clear();
}

script::CompileResult RunCompiler(std::string_view source, script::Target target) {
  const CompileFunction& compile = ModuleState().compile;
  return compile ? compile(source, target) : script::Compile(source, target);
}

const char* CompileErrorText(script::ErrorKind kind) {
  using script::ErrorKind;
  switch (kind) {
    case ErrorKind::Syntax: break;
    case ErrorKind::ActionTooLong: return "アクションの長さが上限の65,535バイトを超えています";
    case ErrorKind::JumpTooFar: return "分岐で飛び越すコードが上限の32,767バイトを超えています";
    case ErrorKind::SourceTooLarge: return "スクリプトが上限の16メガバイトを超えています";
    case ErrorKind::InvalidUtf8: return "スクリプトに文字として読めないバイトがあります";
    case ErrorKind::TooDeep: return "式や文が複雑すぎます（入れ子の深さが上限を超えています）";
    case ErrorKind::TooManyActions: return "フレームの読み込みを待つブロックのアクションが上限の255個を超えています";
    case ErrorKind::NotShiftJis: return "SWF 4 のムービーでは使えない文字があります";
    case ErrorKind::OutOfMemory: return "スクリプトをコンパイルするためのメモリが足りません";
  }
  return "文法に誤りがあります";
}

// `relative` (".\a\b.as", "..\x.as"; "\" or "/" separate) below `folder`,
// each component taken as spelled when it exists, else the entry whose name
// matches without regard to ASCII case.
std::optional<std::filesystem::path> ResolveInFolder(const std::filesystem::path& folder,
                                                     std::string_view relative) {
  namespace fs = std::filesystem;
  if (folder.empty()) return std::nullopt;
  fs::path current = folder;
  std::error_code ec;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view part = relative.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      current = current.parent_path();
      continue;
    }
    const fs::path exact = current / std::string(part);
    if (fs::exists(exact, ec)) {
      current = exact;
      continue;
    }
    std::optional<fs::path> match;
    for (fs::directory_iterator it(current, ec), last; !ec && it != last; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() == part.size() && StartsWithNoCase(name, part)) {
        if (!match || name < match->filename().string()) match = it->path();
      }
    }
    if (!match) return std::nullopt;
    current = *match;
  }
  if (!fs::is_regular_file(current, ec)) return std::nullopt;
  return current;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

std::string CrLfToLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace
}  // namespace tesmiro::ActionCompiler
