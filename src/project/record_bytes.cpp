#include "project/record_bytes.h"

#include "platform/encoding.h"

namespace tesmiro {
namespace {

enum class Coding { Cp932, Utf8 };

// Strings are the only members that can fail; every record writer threads
// one of these through its string members.
class StringSink {
 public:
  StringSink(ByteWriter& w, Coding coding) : w_(w), coding_(coding) {}

  // The first string that could not be written, if any.
  Result<void> result() const {
    if (ok_) return {};
    return Failure{error_};
  }

  void str(const std::string& text) {
    if (!ok_) return;
    if (coding_ == Coding::Utf8) {
      w_.u32(static_cast<uint32_t>(text.size()));
      w_.bytes(text);
      return;
    }
    auto cp932 = enc::Utf8ToCp932(text);
    if (!cp932) return fail("「" + Excerpt(text) + "」にShift-JISで保存できない文字が含まれています。");
    if (cp932->size() > 0xFFFF) return fail("「" + Excerpt(text) + "」が長すぎます (65535バイトまで)。");
    w_.u16(static_cast<uint16_t>(cp932->size()));
    w_.bytes(*cp932);
  }

 private:
  static std::string Excerpt(const std::string& text) {
    // Cut on a character boundary so that the message stays valid UTF-8.
    size_t end = 0, chars = 0;
    while (end < text.size() && chars < 20) {
      unsigned char c = static_cast<unsigned char>(text[end]);
      end += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      ++chars;
    }
    if (end >= text.size()) return text;
    return text.substr(0, end) + "...";
  }
  void fail(std::string message) {
    ok_ = false;
    error_ = std::move(message);
  }

  ByteWriter& w_;
  Coding coding_;
  std::string error_;
  bool ok_ = true;
};

void Settings(ByteWriter& w, StringSink& s, const ProjectSettings& p) {
  w.i32(p.width);
  w.i32(p.height);
  w.f32(p.frameRate);
  w.u8(p.backgroundRed);
  w.u8(p.backgroundGreen);
  w.u8(p.backgroundBlue);
  s.str(p.options);
  w.i16(p.soundSync);
  w.i16(p.preloader);
  w.i16(p.forceJpegRecompression);
  w.i32(p.jpegQuality);
}

void Item(ByteWriter& w, StringSink& s, const StoreItem& item) {
  w.i32(item.id);
  w.i16(static_cast<int16_t>(item.kind));
  s.str(item.name);
  w.i16(item.flags);
  w.i32(item.param);
  s.str(item.font);
  w.f32(item.size);
  w.f32(item.lineSpacing);
  s.str(item.option);
  w.i32(item.width);
  w.i32(item.height);
  w.i32(item.refX);
  w.i32(item.refY);
  w.i16(item.mark);
}

void Event(ByteWriter& w, StringSink& s, const EventRecord& e) {
  w.i32(e.itemId);
  w.i32(e.frameCount);
  w.i32(e.startX);
  w.i32(e.startY);
  w.i32(e.endX);
  w.i32(e.endY);
  w.i32(e.centerX);
  w.i32(e.centerY);
  w.f32(e.startScaleX);
  w.f32(e.endScaleX);
  w.f32(e.startScaleY);
  w.f32(e.endScaleY);
  w.f32(e.startAngle);
  w.f32(e.endAngle);
  w.i16(e.buttonFlag);
  w.i16(e.kind);
  s.str(e.text1);
  s.str(e.text2);
  w.i32(e.downItemId);
  w.i32(e.overItemId);
  w.i32(e.hitItemId);
  w.i16(e.startBrightness);
  w.i16(e.endBrightness);
  w.i16(e.startAlpha);
  w.i16(e.endAlpha);
  w.i32(e.easing);
  w.i16(e.maskFlag);
  w.i32(e.maskDepth);
  w.i32(e.depth);
  WriteFilterState(w, e.startFilters);
  WriteFilterState(w, e.endFilters);
  w.i32(e.blendMode);
  w.i16(e.guideMode);
  w.i16(1);  // dimensions
  w.i32(static_cast<int32_t>(e.anchors.size()));
  w.i32(0);  // lower bound
  for (const auto& a : e.anchors) {
    w.i32(a.x);
    w.i32(a.y);
  }
}

template <typename Record, typename Body>
std::vector<uint8_t> Lossless(const Record& r, Body body) {
  ByteWriter w;
  StringSink s(w, Coding::Utf8);
  body(w, s, r);
  return std::move(w.data());
}

}  // namespace

Result<void> WriteProjectSettings(ByteWriter& w, const ProjectSettings& p) {
  StringSink s(w, Coding::Cp932);
  Settings(w, s, p);
  return s.result();
}

Result<void> WriteStoreItem(ByteWriter& w, const StoreItem& item) {
  StringSink s(w, Coding::Cp932);
  Item(w, s, item);
  return s.result();
}

Result<void> WriteEventRecord(ByteWriter& w, const EventRecord& e) {
  StringSink s(w, Coding::Cp932);
  Event(w, s, e);
  return s.result();
}

void WriteFilterParams(ByteWriter& w, const FilterParams& p) {
  w.i32(p.color1);
  w.i32(p.color2);
  w.f32(p.blurX);
  w.f32(p.blurY);
  w.f32(p.angle);
  w.f32(p.distance);
  w.f32(p.strength);
  w.i32(p.quality);
  w.i16(p.hideObject);
  w.i16(p.knockout);
  w.i32(p.mode);
}

void WriteFilterState(ByteWriter& w, const FilterState& f) {
  w.i16(f.inUse);
  w.i16(f.colorTransform);
  for (float m : f.multiply) w.f32(m);
  for (int32_t a : f.add) w.i32(a);
  w.i16(f.dropShadow);
  WriteFilterParams(w, f.dropShadowParams);
  w.i16(f.blur);
  WriteFilterParams(w, f.blurParams);
  w.i16(f.glow);
  WriteFilterParams(w, f.glowParams);
  w.i16(f.bevel);
  WriteFilterParams(w, f.bevelParams);
  w.i16(f.colorMatrix);
  for (float v : f.matrix) w.f32(v);
}

std::vector<uint8_t> RecordBytes(const StoreItem& item) { return Lossless(item, Item); }
std::vector<uint8_t> RecordBytes(const EventRecord& e) { return Lossless(e, Event); }
std::vector<uint8_t> RecordBytes(const ProjectSettings& s) { return Lossless(s, Settings); }

}  // namespace tesmiro
