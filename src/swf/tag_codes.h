#pragma once
// The tag codes this writer emits, and the record header in front of a tag.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmiro::SWFMakeCore {

enum class TagCode : uint16_t {
  End = 0,
  ShowFrame = 1,
  DefineShape = 2,
  DefineButton = 7,
  SetBackgroundColor = 9,
  DoAction = 12,
  DefineSound = 14,
  StartSound = 15,
  SoundStreamHead = 18,
  SoundStreamBlock = 19,
  DefineBitsJPEG2 = 21,
  PlaceObject2 = 26,
  RemoveObject2 = 28,
  DefineShape3 = 32,
  DefineText2 = 33,
  DefineButton2 = 34,
  DefineBitsJPEG3 = 35,
  DefineBitsLossless2 = 36,
  DefineEditText = 37,
  DefineSprite = 39,
  NameCharacter = 40,
  FrameLabel = 43,
  DefineMorphShape = 46,
  DefineFont2 = 48,
  ExportAssets = 56,
  DefineVideoStream = 60,
  VideoFrame = 61,
  PlaceObject3 = 70,
};

// Short: code and a length below 63 in one 16-bit word. Long: the word holds
// 63 and a 32-bit length follows; the writer uses it for every tag whose
// length is patched after its body, and where players expect it.
enum class TagForm { Shortest, Long };

// Appends the record header of a tag with a body of `length` bytes and
// returns where its 32-bit length field starts (long form; PatchTagLength
// fills it in once the body is written).
size_t AppendTagHeader(std::vector<uint8_t>& out, TagCode code, int32_t length, TagForm form = TagForm::Shortest);

}  // namespace tesmiro::SWFMakeCore
