#include "project/info_panel.h"

#include "platform/numeric.h"
#include "project/file_list_view.h"
#include "project/paths.h"

namespace tesmiro::InfoPanel {
namespace {

constexpr int32_t kKindSMAF = -1;
constexpr int32_t kKindMFi = -2;
constexpr int32_t kKindSMF = -3;
constexpr int32_t kKindWave = -16;
constexpr int32_t kKindMPEG1 = 3;
constexpr int32_t kKindMPEG2 = 2;
constexpr int32_t kKindMPEG25 = 0;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  lines.push_back(line);
  return lines;
}

std::string Size(int32_t w, int32_t h) { return std::to_string(w) + "x" + std::to_string(h); }

void TextLayout(const StoreItem& item, Layout& l) {
  l.title = "テキスト";
  if (!item.option.empty()) l.title += item.option[0] != '@' ? "(" + item.option + ")" : "[ｴﾌｪｸﾄ]";
  l.title += " : " + item.font + " (" + num::CStr(item.size) + "pt)";
  if (item.width >= 1 && item.height >= 1) l.title += " (" + Size(item.width, item.height) + ")";
  l.lines = SplitLines(item.name);
}

void PictureLayout(const StoreItem& item, const MaterialFacts& facts, int32_t pw, int32_t ph, Layout& l) {
  const int32_t w = facts.image.width, h = facts.image.height;
  if (item.kind == StoreItemKind::Video) {
    l.lines = VideoLines(facts.video, item);
  } else if (item.kind == StoreItemKind::RasterImage && !facts.image.sizeProblem.empty()) {
    // No picture of this size can be loaded: the panel says why in its place.
    l.lines = {facts.image.sizeProblem};
  } else {
    int32_t dw = 0, dh = 0;
    // A picture or a panel without area is not drawn (nothing to scale by).
    if (ScalePicture(w, h, pw, ph, dw, dh)) {
      l.picture = item.kind == StoreItemKind::RasterImage ? Picture::Raster : Picture::Vector;
      l.pictureWidth = dw;
      l.pictureHeight = dh;
      l.pictureLeft = num::RoundToInt32((pw - dw) / 2.0);
      l.pictureTop = num::RoundToInt32((ph - dh) / 2.0 + kBodyY);
    }
    if (item.kind == StoreItemKind::VectorImage && item.flags == 1) {
      l.titleExtra = "ID:" + FileListModule::IdText(item.param) + "へモーフィング";
    }
  }
  l.title = " ( " + std::to_string(w) + " x " + std::to_string(h) + " ) : " + GUICore::GetFileNamePart(facts.path);
  l.tooltip = facts.path;
}

}  // namespace

Layout LayoutItemInfo(const StoreItem& item, const MaterialFacts& facts, int32_t panelWidth, int32_t panelHeight,
                      int16_t swfVersion) {
  Layout l;
  switch (item.kind) {
    case StoreItemKind::Text:
      TextLayout(item, l);
      return l;
    case StoreItemKind::Sprite:
      l.title = "スプライト : [" + item.name + "]";
      l.lines = {"サイズ：(" + Size(item.width, item.height) + ")　基準点：(" + std::to_string(item.refX) + "," +
                 std::to_string(item.refY) + ")"};
      l.spriteButton = true;
      return l;
    case StoreItemKind::Folder:
      l.title = "フォルダ : [" + item.name + "]";
      l.lines = {"　(" + std::to_string(item.param) + "個のアイテム)"};
      return l;
    default:
      break;
  }
  if (item.id == 0 || item.name.empty() || facts.path.empty() || !IsFileKind(item.kind)) {
    l.title = "No File";
    return l;
  }
  if (item.kind == StoreItemKind::Sound) {
    l.title = "サウンド : " + GUICore::GetFileNamePart(facts.path);
    if (!item.option.empty()) l.title += " (" + item.option + ")";
    l.soundPath = facts.path;
    l.soundButtons = true;
    l.lines = SoundLines(facts.sound, swfVersion);
    l.linesX = kSoundX;
    l.linesY = kSoundY;
    return l;
  }
  PictureLayout(item, facts, panelWidth, panelHeight - kBodyY, l);
  return l;
}

bool ScalePicture(int32_t w, int32_t h, int32_t pw, int32_t ph, int32_t& dw, int32_t& dh) {
  dw = dh = 0;
  if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return false;
  if (static_cast<double>(pw) / ph * h >= w) {
    dh = ph;
    dw = num::RoundToInt32(static_cast<double>(w) * ph / h);
  } else {
    dw = pw;
    dh = num::RoundToInt32(static_cast<double>(h) * pw / w);
  }
  return dw > 0 && dh > 0;
}

std::vector<std::string> SoundLines(const SoundFacts& s, int16_t swfVersion) {
  if (!s.ok) return {"[ 不正なサウンドファイル ]"};
  std::vector<std::string> lines;
  if (s.kind == kKindSMAF || s.kind == kKindMFi || s.kind == kKindSMF) {
    const char* name = s.kind == kKindSMAF ? "SMAF (*.mmf)" : s.kind == kKindMFi ? "MFi (*.mld)" : "SMF (*.mid)";
    lines.push_back(std::string("[ ") + name + " ]");
    if (swfVersion > 4) lines.push_back("　※携帯電話でのみ使用可能");
    if (s.kind != kKindSMF) {
      lines.push_back("　※この種類のファイルは");
      lines.push_back("　　プレビューできません。");
    }
    return lines;
  }
  const bool mpeg = s.kind == kKindMPEG1 || s.kind == kKindMPEG2 || s.kind == kKindMPEG25;
  std::string description;
  if (mpeg) {
    description = std::string(s.kind == kKindMPEG1 ? "MPEG1" : "MPEG2") + " " + std::to_string(s.rateOrBits / 1000) + "kbps";
  } else if (s.kind == kKindWave) {
    description = "PCM " + std::to_string(s.rateOrBits) + "bit";
  } else {
    return {"[ 不正なサウンドファイル ]"};
  }
  lines.push_back("[ " + description + " " + std::to_string(s.sampleRate) + "Hz " +
                  (s.stereo == 0 ? "モノラル" : "ステレオ") + " ]");
  if (mpeg) {
    if (!s.title.empty()) lines.push_back("　|Title: " + s.title);
    if (!s.album.empty()) lines.push_back("　|Album: " + s.album);
    if (!s.artist.empty()) lines.push_back("　|Artist: " + s.artist);
  }
  if (s.sampleRate != 44100 && s.sampleRate != 22050 && s.sampleRate != 11025) {
    lines.push_back("　※このｻﾝﾌﾟﾘﾝｸﾞﾚｰﾄのサウンドは");
    lines.push_back("　　Tesmiroでは正しく再生されません。");
    lines.push_back("　　44100/22050/11025Hzのサウンドを");
    lines.push_back("　　使用してください。");
  }
  return lines;
}

std::vector<std::string> VideoLines(const VideoFacts& v, const StoreItem& item) {
  if (!v.ok) return {"不正なFLVビデオ"};
  std::vector<std::string> lines;
  lines.push_back("FLVバージョン: " + std::to_string(v.version));
  if ((v.typeFlags & 1) != 0) {
    lines.push_back("フレームレート: " + num::CStr(v.frameRate));
    lines.push_back("総フレーム数: " + std::to_string(v.frameCount));
    if (item.param > 1) lines.push_back("　(" + std::to_string(item.param) + "フレーム目から開始)");
    lines.push_back("ビデオ形式: " + v.videoCodec);
    if (v.videoCodec != "H.263") lines.push_back("　(未対応形式)");
  }
  if ((v.typeFlags & 4) != 0) {
    std::string line = "音声形式: " + v.audioCodec;
    if (v.audioCodec != "MP3") {
      lines.push_back(line + "　(未対応形式)");
      line.clear();
    }
    if (item.flags == 1) line += " (使用しない)";
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace tesmiro::InfoPanel
