#include "compiler/material_tools.h"

#include <utility>

#include "compiler/materials.h"
#include "compiler/text_effects.h"
#include "media/image/get_image.h"
#include "media/text/text_definitions.h"
#include "media/vector/kvg.h"
#include "platform/numeric.h"
#include "project/build_lock.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/store.h"
#include "swf/font_cache.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore {
namespace {

// Lends the SWF writer a fresh output buffer, glyph table and font cache for
// its lifetime and gives the previous ones back afterwards, whatever the
// measuring wrote meanwhile.
class ScratchWriter {
 public:
  ScratchWriter() {
    std::swap(saved_, SWFMakeCore::WriterState());
    std::swap(savedFonts_, SWFMakeCore::FontCache());
  }
  ~ScratchWriter() {
    SWFMakeCore::WriterState() = std::move(saved_);
    SWFMakeCore::FontCache() = std::move(savedFonts_);
  }
  ScratchWriter(const ScratchWriter&) = delete;
  ScratchWriter& operator=(const ScratchWriter&) = delete;

 private:
  SWFMakeCore::State saved_;
  SWFMakeCore::FontCacheState savedFonts_;
};

std::string LocatedPath(const std::string& path) {
  if (path.empty()) return {};
  return PathModule::LocateFile(path, GetFolderPart(State().projectPath)).value_or("");
}

}  // namespace

std::optional<StoreProperty::TextBox> MeasureStaticText(const StoreItem& item) {
  // The writer's state is single: a build between two progress lines must
  // find it as it left it.
  if (BuildInProgress()) return std::nullopt;
  ScratchWriter scratch;
  text::FontSurface surface;
  surface.name = item.font;
  surface.size = 64;
  surface.bold = (item.flags & 1) != 0;
  surface.italic = (item.flags & 2) != 0;
  int32_t fontID = 0;
  std::string key;
  SWFMakeCore::BuildGlyphTable(surface, item.name, SWFMakeCore::kOriginCellTop, fontID, key);
  StoreProperty::TextBox box;
  SWFMakeCore::WriteDefineText2(0, fontID, num::RoundToInt32(static_cast<double>(item.size) * 20),
                                num::RoundToInt32(static_cast<double>(item.lineSpacing) * 20), item.name, box.width,
                                box.height, SWFMakeCore::kAlignLeft, 0);
  return box;
}

Result<uint32_t> TopLeftColour(const std::string& path) {
  const std::string file = LocatedPath(path);
  if (file.empty()) return Failure{"ファイル [" + path + "] がありません"};
  image::AlphaPlane alpha;
  auto picture = GetImage::LoadImagePicture(file, alpha);
  if (!picture) {
    // The decoders' reasons do not name the file.
    if (picture.message().rfind("ファイル [", 0) == 0) return Failure{picture.message()};
    return Failure{"ファイル [" + file + "] を読み込めません：" + picture.message()};
  }
  if (picture->width < 1 || picture->height < 1 || picture->bgra.size() < 4)
    return Failure{"ファイル [" + file + "] は画像ファイルではありません"};
  return picture->colourAt(0, 0);
}

std::string MorphCheckVerdict(int32_t id, int32_t targetId) {
  const StoreItem from = GetStoreItemByID(id);
  const StoreItem to = GetStoreItemByID(targetId);
  std::string verdict;
  if (from.kind != StoreItemKind::VectorImage || to.kind != StoreItemKind::VectorImage) {
    verdict = "ベクタ画像ではない";
  }
  const std::string fromPath = verdict.empty() ? materials::ResolveMaterialPath(from) : "";
  const std::string toPath = verdict.empty() ? materials::ResolveMaterialPath(to) : "";
  if (verdict.empty() && (fromPath.empty() || toPath.empty())) verdict = "ファイルが存在しない";
  if (verdict.empty()) {
    const Result<ShapeModule::KvgImage> a = ShapeModule::LoadKVG(fromPath);
    const Result<ShapeModule::KvgImage> b = ShapeModule::LoadKVG(toPath);
    if (!a || !b) {
      verdict = "ファイルを読み込めない";
    } else if (a->count == 0 || a->count != b->count) {
      verdict = "パスの数が違う";
    } else {
      for (int32_t i = 1; i <= a->count; ++i) {
        if (a->shape(i).points.size() != b->shape(i).points.size()) {
          verdict = "アンカーの数が違う";
          break;
        }
      }
    }
  }
  return verdict.empty() ? "モーフィング可能" : "Error:" + verdict;
}

int32_t FindKeyFrame(const std::string& path, int32_t frame, int32_t direction) {
  const std::string file = LocatedPath(path);
  if (file.empty()) return frame;
  return GetImage::FindFLVKeyFrame(file, frame, direction);
}

std::string TextEffectSummary(const std::string& settings) {
  TextEffectSettings s;
  if (!ParseTextEffectOption(settings, s)) return "設定なし";
  const int64_t total = static_cast<int64_t>(s.inFrames) + s.outFrames + s.holdFrames;
  return "IN  :" + s.inTemplate + " (" + std::to_string(s.inFrames) + ")\nOUT :" + s.outTemplate + " (" +
         std::to_string(s.outFrames) + ")\n合計: " + std::to_string(total) + " ﾌﾚｰﾑ";
}

}  // namespace tesmiro::GUICore
