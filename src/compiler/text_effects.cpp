#include "compiler/text_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "compiler/event_compiler.h"
#include "compiler/left_out.h"
#include "media/text/glyph_outline.h"
#include "media/text/text_definitions.h"
#include "platform/numeric.h"
#include "swf/swf_writer.h"
#include "project/model.h"
#include "project/project_file.h"

namespace tesmiro::GUICore {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trim(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  size_t i = 0;
  while (i < s.size() && blank(s[i])) ++i;
  return s.substr(i);
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    parts.push_back(s.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  if (what.empty()) return;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

// The main-timeline events of a template, or nothing when it cannot be
// used; then `problem`, when asked for, says why.
std::vector<EventRecord> TemplateEvents(const std::string& name, int half, std::string* problem = nullptr) {
  const std::string named = "テキスト効果のテンプレート [" + name + "] ";
  const auto path = EffectTemplatePath(name, half);
  if (!path) {
    if (problem) *problem = named + "がインストールされていません";
    return {};
  }
  const Result<TSMModule::ProjectData> data = TSMModule::LoadProjectFile(*path);
  if (!data) {
    // The reader's reason goes after a name: the template's takes the file's place.
    if (problem) *problem = named + data.message();
    return {};
  }
  if (data->timelines.empty()) return {};
  return data->timelines[0].events.items();
}

// Names longest first; names of one length keep their order.
std::vector<EffectParam> LongestFirst(std::vector<EffectParam> params) {
  std::stable_sort(params.begin(), params.end(),
                   [](const EffectParam& a, const EffectParam& b) { return a.name.size() > b.name.size(); });
  return params;
}

// A deterministic generator for the random letter order, so that the same
// project always builds the same movie.
class OrderRandom {
 public:
  double next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state_ >> 11) / static_cast<double>(1ull << 53);
  }

 private:
  uint64_t state_ = 0x7E5A1D0ull;
};

namespace W = SWFMakeCore;

// One distinct letter of an effect text and the sprite that centres it.
struct GlyphSpriteEntry {
  int32_t glyph = 0;  // 1-based index in the font's glyph table
  int32_t width = 0, height = 0;
  int32_t sprite = 0;
  int32_t halfWidth = 0, halfHeight = 0;
};

// A letter of the laid-out text.
struct PlacedLetter {
  int32_t character = 0;  // 1-based position among the text's characters
  int32_t sprite = 0;
  int32_t x = 0, y = 0;  // centre, pixels from the box's top left
  int32_t depth = 0;
};

size_t FindOrAddID(std::vector<GlyphSpriteEntry>& entries, int32_t glyph, bool& added) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].glyph == glyph) {
      added = false;
      return i;
    }
  entries.push_back(GlyphSpriteEntry{glyph});
  added = true;
  return entries.size() - 1;
}

// A sprite holding the letter with its centre at the origin.
bool WriteLetterSprite(const fs::path& outPath, EmitMode mode, GlyphSpriteEntry& entry, const std::string& letter,
                       int32_t fontId, int32_t size, int32_t colour) {
  const int32_t text = W::NextAutoID();
  const int32_t sprite = W::NextAutoID();
  if (text == 0 || sprite == 0) return false;
  int32_t w = 0, h = 0;
  W::WriteDefineText2(text, fontId, size, 0, letter, w, h, 0, colour);
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  W::WriteMovieFile(outPath, W::MovieStage::BeginSprite);
  W::WriteSpriteHeader(sprite);
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  const int16_t sync = CompilerState().musicSyncActive;
  CompilerState().musicSyncActive = 0;
  EventRecord place = InitEventRecord();
  place.itemId = text;
  place.frameCount = 1;
  place.startX = -(w / 2);
  place.startY = -(h / 2);
  CompileEvent(outPath, place, mode, -1);
  W::WriteMovieFile(outPath, W::MovieStage::WriteFrames);
  CompilerState().musicSyncActive = sync;
  W::WriteEnd();
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  W::WriteMovieFile(outPath, W::MovieStage::EndSprite);
  entry.width = w;
  entry.height = h;
  entry.sprite = sprite;
  entry.halfWidth = w / 2;
  entry.halfHeight = h / 2;
  return true;
}

EventRecord ActionEvent(ActionKind kind, int32_t frames) {
  EventRecord e = InitEventRecord();
  e.kind = static_cast<int16_t>(kind);
  e.frameCount = frames;
  return e;
}

}  // namespace

EventRecord InitEventRecord() {
  EventRecord e = ZeroEvent();
  e.startScaleX = e.endScaleX = e.startScaleY = e.endScaleY = 1.0f;
  e.kind = kEventKindNone;
  e.startAlpha = e.endAlpha = 100;
  e.anchors.assign(1, GuideAnchor{});
  return e;
}

bool ParseTextEffectOption(const std::string& option, TextEffectSettings& s) {
  if (option.empty() || option[0] != '@') return false;
  const std::vector<std::string> parts = Split(option.substr(1), ';');
  auto text = [&](size_t i) { return i < parts.size() ? parts[i] : std::string(); };
  auto number = [&](size_t i) { return num::RoundToInt32(num::Val(text(i))); };
  s = TextEffectSettings{};
  s.inTemplate = text(0);
  s.inFrames = number(1);
  s.inInterval = number(2);
  s.inOrder = number(3);
  s.outTemplate = text(4);
  s.outFrames = number(5);
  s.outInterval = number(6);
  s.outOrder = number(7);
  s.holdFrames = number(8);
  for (size_t i = 9; i < parts.size(); ++i) {
    const size_t colon = parts[i].find(':');
    if (colon == std::string::npos) continue;
    const std::string rest = parts[i].substr(colon + 1);
    const size_t eq = rest.find('=');
    if (eq == std::string::npos) continue;
    const int32_t half = num::RoundToInt32(num::Val(parts[i].substr(0, colon)));
    EffectParam p{rest.substr(0, eq), static_cast<float>(num::Val(rest.substr(eq + 1)))};
    if (half == 0) s.inParams.push_back(p);
    else if (half == 1) s.outParams.push_back(p);
  }
  return true;
}

std::string BuildTextEffectOption(const TextEffectSettings& s) {
  std::string out = "@" + s.inTemplate + ";" + num::CStr(s.inFrames) + ";" + num::CStr(s.inInterval) + ";" +
                    num::CStr(s.inOrder) + ";" + s.outTemplate + ";" + num::CStr(s.outFrames) + ";" +
                    num::CStr(s.outInterval) + ";" + num::CStr(s.outOrder) + ";" + num::CStr(s.holdFrames) + ";";
  int half = 0;
  for (const auto* list : {&s.inParams, &s.outParams}) {
    for (const EffectParam& p : LongestFirst(*list))
      out += std::to_string(half) + ":" + p.name + "=" + num::CStr(p.value) + ";";
    ++half;
  }
  out.pop_back();
  return out;
}

std::optional<fs::path> EffectTemplatePath(const std::string& name, int half) {
  // Names come from project files: one that names another folder is refused.
  if (name.empty() || name == kNoTemplate || name.find_first_of("/\\") != std::string::npos ||
      name.find("..") != std::string::npos || name.find('\0') != std::string::npos)
    return std::nullopt;
  // Templates made on other systems may spell the name or the extension in
  // another case; the exact spelling wins, then the first folder that has
  // the name in any case.
  const std::string wanted = Lower(name + ".tsm");
  for (const fs::path& root : State().paths.effectRoots()) {
    const fs::path folder = root / (half == 0 ? "in" : "out");
    std::error_code ec;
    if (fs::is_regular_file(folder / (name + ".tsm"), ec)) return folder / (name + ".tsm");
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code fileError;
      if (Lower(it->path().filename().string()) == wanted && it->is_regular_file(fileError)) return it->path();
    }
  }
  return std::nullopt;
}

EffectTemplateInfo ReadEffectTemplate(const std::string& name, int half) {
  EffectTemplateInfo info;
  for (const EventRecord& e : TemplateEvents(name, half)) {
    if (e.isLabel()) continue;
    if (e.itemId == 0 && e.kind == static_cast<int16_t>(ActionKind::Script) && Lower(e.text1) == "param") {
      std::string script = e.text2;
      ReplaceAll(script, "\r\n", "\n");
      ReplaceAll(script, "\r", "\n");
      for (std::string line : Split(script, '\n')) {
        line.erase(std::remove(line.begin(), line.end(), '\t'), line.end());
        line = Trim(line);
        if (line.rfind("__", 0) != 0) continue;
        const size_t eq = line.find('=');
        const size_t semi = line.find(';');
        const size_t slash = line.find("//");
        info.names.push_back(Trim(line.substr(2, eq == std::string::npos ? std::string::npos : eq - 2)));
        info.defaults.push_back(
            eq == std::string::npos
                ? 0.0f
                : static_cast<float>(num::Val(Trim(line.substr(eq + 1, semi == std::string::npos ? std::string::npos : semi - eq - 1)))));
        info.descriptions.push_back(slash == std::string::npos ? std::string() : Trim(line.substr(slash + 2)));
      }
      continue;
    }
    const std::string lower = Lower(e.text1);
    if (lower.rfind("author:", 0) == 0) info.author = e.text1.substr(7);
    else if (lower.rfind("comment:", 0) == 0) info.comment = e.text1.substr(8);
  }
  info.count = static_cast<int32_t>(info.names.size());
  return info;
}

void ApplyEffectTemplate(const std::string& name, int half, int32_t frames, int32_t sprite, int32_t x, int32_t y,
                         int32_t depth, int32_t letters, const std::vector<EffectParam>& params,
                         std::vector<EventRecord>& list) {
  std::vector<EventRecord> events;
  if (!name.empty() && name != kNoTemplate) {
    std::string problem;
    events = TemplateEvents(name, half, &problem);
    // The letters stand still where the template would have moved them.
    if (!problem.empty()) NoteLeftOut(problem);
  }
  if (events.empty()) {
    EventRecord show = InitEventRecord();
    show.itemId = 1;
    show.frameCount = 0;
    EventRecord wait = InitEventRecord();
    wait.kind = static_cast<int16_t>(ActionKind::DoNothing);
    wait.frameCount = frames;
    events = {show, wait};
  }
  // First pass: the template's own length and the letter's reference point.
  int64_t total = 0;
  int32_t refX = 0, refY = 0;
  bool firstLetter = true;
  for (EventRecord& e : events) {
    const bool letter = e.itemId == 1;
    const bool pause = e.itemId == 0 && e.kind == static_cast<int16_t>(ActionKind::DoNothing);
    if (letter) {
      total += e.frameCount;
      if (half == 0) {
        refX = e.endX;
        refY = e.endY;
      } else if (firstLetter) {
        refX = e.startX;
        refY = e.startY;
      }
      firstLetter = false;
    } else if (pause) {
      total += e.frameCount;
    } else {
      e.frameCount = 0;
    }
  }
  if (total > 0) {
    // Spread the template's length over `frames` in whole frames: each
    // event ends at floor(its running total x frames / T), so the counts add
    // up exactly.
    int64_t running = 0, given = 0;
    const int32_t dx = x - refX, dy = y - refY;
    for (const EventRecord& source : events) {
      running += source.frameCount;
      const int64_t n = running * frames / total - given;
      const bool letter = source.itemId == 1 && source.depth == 0;
      const bool pause = source.itemId == 0 && source.kind == static_cast<int16_t>(ActionKind::DoNothing);
      if ((!letter && !pause) || n < 0) continue;
      EventRecord e = source;
      if (letter) {
        e.itemId = sprite;
        e.depth = depth;
        e.startX += dx;
        e.startY += dy;
        e.endX += dx;
        e.endY += dy;
        if (e.guideMode > 0)
          for (GuideAnchor& a : e.anchors) {
            a.x += dx * 20;
            a.y += dy * 20;
          }
        if (!e.text2.empty()) {
          for (const EffectParam& p : LongestFirst(params)) {
            ReplaceAll(e.text2, "_parent.__" + p.name, num::CStr(p.value));
            ReplaceAll(e.text2, "_root.__" + p.name, num::CStr(p.value));
          }
          for (const char* prefix : {"_parent.", "_root.", ""}) {
            ReplaceAll(e.text2, std::string(prefix) + "__lettercount", std::to_string(depth + 256));
            ReplaceAll(e.text2, std::string(prefix) + "__lettertotal", std::to_string(letters));
            ReplaceAll(e.text2, std::string(prefix) + "__frametotal", std::to_string(frames));
          }
        }
      }
      e.frameCount = static_cast<int32_t>(n);
      given += n;
      list.push_back(e);
    }
  }
  if (half == 1) {
    EventRecord erase = InitEventRecord();
    erase.kind = static_cast<int16_t>(ActionKind::EraseImages);
    erase.text1 = std::to_string(depth);
    list.push_back(erase);
  } else {
    EventRecord stay = InitEventRecord();
    stay.itemId = sprite;
    stay.startX = stay.endX = x;
    stay.startY = stay.endY = y;
    stay.depth = depth;
    stay.frameCount = 0;
    list.push_back(stay);
  }
}

void BuildTextEffect(const fs::path& outPath, EmitMode mode, const std::string& option, int32_t charId,
                     int32_t fontId, int32_t size, int32_t lineSpacing, const std::string& rawText, int32_t width,
                     int32_t height, int32_t alignment, int32_t colour) {
  (void)height;
  std::string text = rawText;
  ReplaceAll(text, "\r\n", "\r");
  TextEffectSettings settings;
  if (text.empty() || !ParseTextEffectOption(option, settings)) return;
  const W::GlyphTable& table = W::FontCache().table;
  const double scale = size / 1280.0;

  // The characters of the text, and a sprite per distinct letter.
  std::vector<std::string> characters;
  std::vector<int32_t> glyphOf;  // per character: glyph index, 0 for none
  for (std::string_view rest = text; !rest.empty();) {
    size_t length = 0;
    const uint32_t code = FOutLine::FirstCodePoint(rest, length);
    length = std::max<size_t>(length, 1);
    characters.emplace_back(rest.substr(0, length));
    rest.remove_prefix(std::min(length, rest.size()));
    glyphOf.push_back(code == '\r' || code > 0xFFFF ? 0 : W::FindGlyph(static_cast<int32_t>(code)));
  }
  std::vector<GlyphSpriteEntry> entries;
  std::vector<size_t> entryOf(characters.size(), 0);
  for (size_t i = 0; i < characters.size(); ++i) {
    if (glyphOf[i] <= 0) continue;
    bool added = false;
    entryOf[i] = FindOrAddID(entries, glyphOf[i], added);
    if (added && !WriteLetterSprite(outPath, mode, entries[entryOf[i]], characters[i], fontId, size, colour)) {
      glyphOf[i] = 0;  // out of character IDs: the writer has said so
      entries.pop_back();
    }
  }

  // Layout, line by line, in pixels from the box's top left.
  std::vector<PlacedLetter> letters;
  std::vector<int32_t> letterOf(characters.size(), -1);
  bool warned = false;
  double runX = 0, runY = 0;
  size_t lineStart = 0;
  int32_t lastGlyph = 0;
  auto closeLine = [&] {
    if (lastGlyph > 0) {
      const W::GlyphRecord& g = table.glyph(lastGlyph);
      runX += (g.rightEdge - g.advance) * scale;
      double shift = 0;
      if (alignment == 1) shift = width - runX;
      else if (alignment == 2) shift = (width - runX) / 2;
      shift = num::RoundHalfEven(shift * 20) / 20;
      for (size_t k = lineStart; k < letters.size(); ++k)
        letters[k].x = num::RoundToInt32(letters[k].x + shift);
    }
    lineStart = letters.size();
    lastGlyph = 0;
    runX = 0;
    runY += table.height * scale + lineSpacing / 20.0;
  };
  for (size_t i = 0; i < characters.size(); ++i) {
    if (characters[i] == "\r") {
      closeLine();
      continue;
    }
    if (glyphOf[i] <= 0) continue;
    if (letters.size() >= static_cast<size_t>(W::kMaxDepth - W::kMinDepth + 1)) {
      if (!warned) W::WriterState().diagnostics.push_back("テキスト効果の文字が多すぎます（513 文字まで）");
      warned = true;
      continue;
    }
    const GlyphSpriteEntry& entry = entries[entryOf[i]];
    PlacedLetter letter;
    letter.character = static_cast<int32_t>(i) + 1;
    letter.sprite = entry.sprite;
    letter.x = num::RoundToInt32(runX + entry.halfWidth);
    letter.y = num::RoundToInt32(runY + entry.halfHeight);
    letter.depth = W::kMinDepth + static_cast<int32_t>(letters.size());
    letterOf[i] = static_cast<int32_t>(letters.size());
    letters.push_back(letter);
    runX += table.glyph(glyphOf[i]).advance * scale;
    lastGlyph = glyphOf[i];
  }
  closeLine();
  const auto count = static_cast<int32_t>(letters.size());
  if (count < 1) return;

  // The events of every letter, in and out.
  std::vector<EventRecord> list;
  const auto n = static_cast<int32_t>(characters.size());
  for (int half : {0, 1}) {
    const int32_t total = half == 0 ? settings.inFrames : settings.outFrames;
    int64_t interval = std::abs(static_cast<int64_t>(half == 0 ? settings.inInterval : settings.outInterval));
    const std::string& name = half == 0 ? settings.inTemplate : settings.outTemplate;
    const auto& params = half == 0 ? settings.inParams : settings.outParams;
    if (total < 1) {
      for (const PlacedLetter& l : letters)
        ApplyEffectTemplate(kNoTemplate, half, 0, l.sprite, l.x, l.y, l.depth, count, params, list);
    } else {
      // The interval shrinks until the letters leave each other some frames:
      // the largest one below total / count.
      interval = std::min<int64_t>(interval, (total - 1) / count);
      const int64_t d = total - interval * count;
      bool first = true;
      for (int32_t k : LetterOrder(half == 0 ? settings.inOrder : settings.outOrder, n)) {
        const int32_t at = letterOf[static_cast<size_t>(k - 1)];
        if (at < 0) continue;
        if (!first) {
          const int64_t c = interval - d;
          if (c < 0) list.push_back(ActionEvent(ActionKind::Rollback, static_cast<int32_t>(c)));
          if (c > 0) list.push_back(ActionEvent(ActionKind::DoNothing, static_cast<int32_t>(c)));
        }
        first = false;
        const PlacedLetter& l = letters[static_cast<size_t>(at)];
        ApplyEffectTemplate(name, half, static_cast<int32_t>(d), l.sprite, l.x, l.y, l.depth, count, params, list);
      }
    }
    if (half == 0 && settings.holdFrames > 0) list.push_back(ActionEvent(ActionKind::DoNothing, settings.holdFrames));
  }
  list.push_back(ActionEvent(ActionKind::Stop, 1));

  W::WriteMovieFile(outPath, W::MovieStage::BeginSprite);
  W::WriteSpriteHeader(charId);
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  const int16_t sync = CompilerState().musicSyncActive;
  for (const EventRecord& e : list) {
    CompilerState().musicSyncActive = 0;
    CompileEvent(outPath, e, mode, -4);
  }
  W::WriteMovieFile(outPath, W::MovieStage::WriteFrames);
  CompilerState().musicSyncActive = sync;
  W::WriteEnd();
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  W::WriteMovieFile(outPath, W::MovieStage::EndSprite);
}

std::vector<int32_t> LetterOrder(int32_t order, int32_t n) {
  std::vector<int32_t> o(static_cast<size_t>(std::max(n, 0)));
  auto sign = [](int32_t i) { return (i & 1) ? 1 : -1; };
  for (int32_t i = 1; i <= n; ++i) {
    int32_t v = i;
    switch (order & 7) {
      case 1: v = n - i + 1; break;
      case 2: v = (i / 2) * sign(i) + n / 2 + 1; break;
      case 3: v = ((n - i + 1) / 2) * sign(i) + n / 2 + (n & 1); break;
      default: break;
    }
    o[static_cast<size_t>(i - 1)] = v;
  }
  if ((order & 7) == 4 && n > 0) {
    OrderRandom rnd;
    for (int32_t k = 0; k < 5 * n + 1; ++k) {
      const auto a = static_cast<size_t>(std::floor(rnd.next() * n));
      const auto b = static_cast<size_t>(std::floor(rnd.next() * n));
      std::swap(o[a], o[b]);
    }
  }
  return o;
}

}  // namespace tesmiro::GUICore
