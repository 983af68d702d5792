// The movie compiler's calls into the media writers. A media writer that is
// not joined here yet leaves its materials out of the movie exactly as an
// unusable file would be.
#include "compiler/materials.h"

#include "compiler/left_out.h"
#include "compiler/movie_compiler.h"
#include "compiler/text_effects.h"
#include "media/image/bitmap_tags.h"
#include "media/image/get_image.h"
#include "media/sound/id3.h"
#include "media/text/text_definitions.h"
#include "media/sound/sound_writer.h"
#include "media/vector/kvg.h"
#include "media/video/flv_video.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/store.h"
#include "swf/sound_stream.h"
#include "swf/sound_tags.h"
#include "platform/numeric.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore::materials {

namespace W = SWFMakeCore;

namespace {

// A font that is not installed here, or letters it lacks: the text is
// written all the same, in the font fontconfig found instead, the letters
// blank.
void NoteFontShortfall(const text::FontSurface& surface, const std::string& text) {
  // Once per font, whichever of its styles the texts use.
  text::ResolvedFont font;
  if (!text::ResolveFont(text::FontSurface{surface.name, surface.size, false, false}, font)) {
    NoteLeftOut("フォント [" + surface.name + "] が見つかりません");
    return;
  }
  if (!font.familyInstalled)
    NoteLeftOut("フォント [" + surface.name + "] はインストールされていません（代わりに " + font.family + " を使いました）");
  NoteMissingCharacters(surface.name, W::MissingCharacters(surface, text));
}

}  // namespace

std::string ResolveMaterialPath(const StoreItem& item) {
  return PathModule::LocateFile(item.name, GetFolderPart(State().projectPath)).value_or("");
}

bool DefineRasterImage(const StoreItem& item, std::string& warning) {
  const ProjectSettings& s = State().settings;
  const W::BitmapResult result = W::WriteBitmap(2 * item.id - 1, item.name, item.flags, item.param, s.jpegQuality,
                                                s.forceJpegRecompression, num::FloorToInt32(item.size));
  if (result.jpegError) {
    warning = "ファイル [" + item.name + "] をJPEGに変換できません：" + result.jpegError->description +
              "\r\nこの画像は使われません。";
    return false;
  }
  if (!result.written) {
    if (!result.problem.empty()) NoteLeftOut(result.problem);
    return false;
  }
  const GetImage::ImageInfo info = GetImage::GetImageInfo(item.name, GetImage::kByContent);
  W::WriteBitmapShape(2 * item.id, 2 * item.id - 1, info.width, info.height);
  if (!item.option.empty()) W::WriteExportName(2 * item.id - 1, item.option);
  return true;
}
// The writer tells the user about a sound it cannot use.
bool DefineSound(const StoreItem& item, std::string&) {
  if (!W::WriteDefineSound(2 * item.id - 1, item.name)) return false;
  if (!item.option.empty()) W::WriteExportName(2 * item.id - 1, item.option);
  return true;
}
bool DefineText(const std::filesystem::path& outPath, const StoreItem& item, EmitMode mode, std::string&) {
  constexpr int16_t kEditText = 0x1000, kTextEffect = 0x2000;
  // The font height is a 16-bit field, the leading a signed one, and the
  // box edges are 24-bit twips.
  const int32_t size = W::ClampWarn(num::RoundHalfEven(item.size * 20.0), 0, 65535, "文字サイズ (twips)");
  const int32_t spacing = W::ClampWarn(num::RoundHalfEven(item.lineSpacing * 20.0), -32768, 32767, "行間 (twips)");
  const int32_t alignment = (item.flags / 4) & 3;
  const int32_t inputOptions = (item.flags / 16) & 15, displayOptions = (item.flags / 256) & 15;
  int32_t width = W::ClampWarn(item.width, -W::kMaxTextBoxPixels, W::kMaxTextBoxPixels, "テキストの幅");
  int32_t height = W::ClampWarn(item.height, -W::kMaxTextBoxPixels, W::kMaxTextBoxPixels, "テキストの高さ");
  if (!item.font.empty() && item.font[0] == '_') {
    W::WriteDeviceFont(2 * item.id - 1, item.font, static_cast<int16_t>(item.flags & 3));
    W::WriteDefineEditText(2 * item.id, 2 * item.id - 1, size, spacing, item.name, width, height, alignment,
                           item.param, item.option, inputOptions, displayOptions, 0);
    return true;
  }
  text::FontSurface surface{item.font, 64, (item.flags & 1) != 0, (item.flags & 2) != 0};
  int32_t fontId = 2 * item.id - 1;
  std::string key;
  const bool edit = (item.flags & kEditText) != 0;
  W::BuildGlyphTable(surface, item.name, edit ? W::kOriginBaseline : W::kOriginCellTop, fontId, key);
  NoteFontShortfall(surface, item.name);
  if (edit) {
    if (fontId == 2 * item.id - 1)
      W::WriteDefineFont2(fontId, key, static_cast<int16_t>((item.flags & 3) + 128), spacing);
    W::WriteDefineEditText(2 * item.id, fontId, size, spacing, item.name, width, height, alignment, item.param,
                           item.option, inputOptions, displayOptions, 1);
    return true;
  }
  if (fontId == 2 * item.id - 1) W::WriteDefineFont2(fontId, key, static_cast<int16_t>(item.flags & 3), 0);
  if ((item.flags & kTextEffect) != 0) {
    W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
    BuildTextEffect(outPath, mode, item.option, 2 * item.id, fontId, size, spacing, item.name, width,
                    height, alignment, item.param);
  } else {
    W::WriteDefineText2(2 * item.id, fontId, size, spacing, item.name, width, height, alignment, item.param);
  }
  return true;
}

bool DefineVector(const StoreItem& item, EmitMode mode, std::string&) {
  ShapeModule::VectorItem v;
  v.id = item.id;
  v.path = item.name;
  if (item.flags == 1) {
    const StoreItem target = GetStoreItemByID(item.param);
    if (target.kind == StoreItemKind::VectorImage) v.morphTarget = ResolveMaterialPath(target);
    // Without its target the item is written as a still shape.
    if (target.kind == StoreItemKind::VectorImage && v.morphTarget.empty())
      NoteLeftOut("ファイル [" + item.name + "] はモーフィングできません：変形先の" + MissingFileLine(target.name));
  }
  v.usage = GetStoreItemUsage(item);
  v.mode = static_cast<int16_t>(mode);
  v.exportName = item.option;
  std::string problem;
  const bool defined = ShapeModule::EmitVectorItem(v, &problem);
  if (!problem.empty()) NoteLeftOut(problem);
  return defined;
}

void StartSound(const StoreItem& item, int16_t soundMode, const std::string& volumeText) {
  int32_t left = 100, right = 100;
  ID3Module::ParseVolumeParam(volumeText, left, right);
  W::WriteStartSound(2 * item.id - 1, soundMode, left, right);
}

void StartStream(const StoreItem& item, float frameRate) {
  const std::string path = ResolveMaterialPath(item);
  if (path.empty()) NoteLeftOut(MissingFileLine(item.name));
  else W::WriteMP3StreamHead(frameRate, path, W::kStreamLoadFile);
}

void SkipStream(float frameRate, int32_t frames) { W::SkipMP3Stream(frameRate, frames); }
void SilentStreamHead(float frameRate) { W::WriteSilentStreamHead(frameRate); }
void SilentStreamBlock(float frameRate) { W::WriteSilentStreamBlock(frameRate); }

bool DefineVideoStream(const StoreItem& item, int32_t frames, bool withSound) {
  const std::string path = ResolveMaterialPath(item);
  std::string problem = path.empty() ? MissingFileLine(item.name) : "";
  if (!path.empty() && W::WriteDefineVideoStream(2 * item.id, frames, path, item.param, withSound, &problem))
    return true;
  if (!problem.empty()) NoteLeftOut(problem);
  return false;
}

void VideoFrame(const StoreItem& item, int32_t frame) {
  const std::string path = ResolveMaterialPath(item);
  if (!path.empty()) W::WriteVideoFrame(2 * item.id, frame, path);
}

}  // namespace tesmiro::GUICore::materials
