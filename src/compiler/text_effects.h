#pragma once
// Text effects: a text item whose letters fly in and out as effect templates
// (small projects animating a placeholder letter) describe.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "compiler/event_compiler.h"
#include "project/records.h"

namespace tesmiro::GUICore {

struct EffectParam {
  std::string name;
  float value = 0;
};

struct TextEffectSettings {
  int32_t inFrames = 0;
  int32_t outFrames = 0;
  int32_t holdFrames = 0;
  std::string inTemplate = "なし";
  std::string outTemplate = "なし";
  int32_t inInterval = 0;
  int32_t outInterval = 0;
  int32_t inOrder = 0;  // low three bits: 0 left, 1 right, 2 centre, 3 ends, 4 random
  int32_t outOrder = 0;
  std::vector<EffectParam> inParams;  // numbered from 1
  std::vector<EffectParam> outParams;
};

struct EffectTemplateInfo {
  int32_t count = 0;
  std::vector<std::string> names;  // without the leading "__"
  std::vector<float> defaults;
  std::vector<std::string> descriptions;
  std::string author;
  std::string comment;
};

inline constexpr const char* kNoTemplate = "なし";

// The default event of the compiler: zeros, scales 1.0, kind -1, opacity
// 100, one guide anchor at 0,0.
EventRecord InitEventRecord();

bool ParseTextEffectOption(const std::string& option, TextEffectSettings& settings);
std::string BuildTextEffectOption(const TextEffectSettings& settings);

// The template file for a name and half (0 in, 1 out): the user's folder
// first, then the shipped one. Empty for "なし" and for names that would
// leave the template folder.
std::optional<std::filesystem::path> EffectTemplatePath(const std::string& name, int half);
EffectTemplateInfo ReadEffectTemplate(const std::string& name, int half);

// Appends the events that move one letter through the template, re-timed
// to `frames`.
void ApplyEffectTemplate(const std::string& name, int half, int32_t frames, int32_t sprite, int32_t x, int32_t y,
                         int32_t depth, int32_t letters, const std::vector<EffectParam>& params,
                         std::vector<EventRecord>& list);

// The effect sprite of a text item (character `charId`) whose glyph table
// is the one installed: a sprite per distinct letter, then the sprite that
// moves every letter through the in- and out-templates. Sizes in twips, the
// box in pixels. Writes nothing when the option is no effect.
void BuildTextEffect(const std::filesystem::path& outPath, EmitMode mode, const std::string& option, int32_t charId,
                     int32_t fontId, int32_t size, int32_t lineSpacing, const std::string& text, int32_t width,
                     int32_t height, int32_t alignment, int32_t colour);

// The 1-based letter order of n characters for an order code.
std::vector<int32_t> LetterOrder(int32_t order, int32_t n);

}  // namespace tesmiro::GUICore
