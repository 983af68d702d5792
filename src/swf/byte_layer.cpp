// The writer's lowest layer: the output buffer, raw bytes, the bit-packed
// records of the format and SWF strings.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/numeric.h"
#include "swf/swf_records.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

State gState;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

Bytes RectBytes(RectLayout layout, int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  BitWriter w;
  WriteRect(w, Rect{Twips(xmin), Twips(xmax), Twips(ymin), Twips(ymax)}, layout);
  return w.bytes();
}

}  // namespace

State& WriterState() { return gState; }

int32_t ClampWarn(double value, int32_t lo, int32_t hi, std::string_view what) {
  const double v = std::isnan(value) ? 0.0 : value;
  if (v >= lo && v <= hi) return static_cast<int32_t>(v);
  const int32_t clamped = v < lo ? lo : hi;
  const std::string shown = std::trunc(value) == value && std::fabs(value) < 1e15
                                ? std::to_string(static_cast<int64_t>(value))
                                : num::CStr(value);
  gState.diagnostics.push_back(std::string(what) + " " + shown + " を " + std::to_string(clamped) + " にしました");
  return clamped;
}

void ResetState() {
  ResetMovieFile();
  gState = State{};
}

void ClearDiagnostics() {
  gState.diagnostics.clear();
  gState.diagnosticsSeen = 0;
  gState.frameLimitReported = false;
}

int GetSWFVersion() { return gState.version; }

void InitBitTable() {
  // The table is filled statically; kept as the start-up call other code expects.
}

Bytes& OutputBuffer() { return gState.output; }

int32_t Reserve(int32_t n) {
  const auto at = static_cast<int32_t>(gState.output.size());
  if (n > 0) gState.output.resize(gState.output.size() + static_cast<size_t>(n), 0);
  return at;
}

void WriteHex(std::string_view hex) {
  const int32_t at = Reserve(static_cast<int32_t>(hex.size() / 2));
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    gState.output[at + i / 2] = static_cast<uint8_t>(HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1]));
}

size_t AppendTagHeader(Bytes& out, TagCode code, int32_t length, TagForm form) {
  const auto word = static_cast<uint32_t>(code) << 6;
  const bool isShort = form == TagForm::Shortest && length >= 0 && length < 63;
  const uint32_t head = word | (isShort ? static_cast<uint32_t>(length) : 63u);
  out.push_back(static_cast<uint8_t>(head & 255));
  out.push_back(static_cast<uint8_t>((head >> 8) & 255));
  const size_t lengthAt = out.size();
  if (!isShort)
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((static_cast<uint32_t>(length) >> (8 * i)) & 255));
  return lengthAt;
}

size_t WriteTagHeader(TagCode code, int32_t length, TagForm form) {
  return AppendTagHeader(gState.output, code, length, form);
}

void SplitWord(int32_t value, uint8_t& high, uint8_t& low) {
  high = static_cast<uint8_t>((value >> 8) & 255);  // arithmetic shift = floor(value / 256)
  low = static_cast<uint8_t>(value & 255);
}

void SplitLong(int32_t value, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4) {
  b1 = static_cast<uint8_t>((value >> 24) & 255);
  b2 = static_cast<uint8_t>((value >> 16) & 255);
  b3 = static_cast<uint8_t>((value >> 8) & 255);
  b4 = static_cast<uint8_t>(value & 255);
}

void CopyToOutput(int32_t position, const Bytes& source, int32_t count) {
  count = std::min<int32_t>(count, static_cast<int32_t>(source.size()));
  if (position < 0 || count <= 0 || static_cast<size_t>(position) + count > gState.output.size()) return;
  std::copy_n(source.begin(), count, gState.output.begin() + position);
}

void WriteU16(int32_t value) {
  gState.output.push_back(static_cast<uint8_t>(value & 255));
  gState.output.push_back(static_cast<uint8_t>((value >> 8) & 255));
}

void WriteU32(int32_t value) {
  for (int i = 0; i < 4; ++i) gState.output.push_back(static_cast<uint8_t>((value >> (8 * i)) & 255));
}

void PatchU16(size_t at, int32_t value) {
  if (at + 2 > gState.output.size()) return;
  gState.output[at] = static_cast<uint8_t>(value & 255);
  gState.output[at + 1] = static_cast<uint8_t>((value >> 8) & 255);
}

void PatchU32(size_t at, int32_t value) {
  if (at + 4 > gState.output.size()) return;
  for (int i = 0; i < 4; ++i) gState.output[at + i] = static_cast<uint8_t>((value >> (8 * i)) & 255);
}

void PatchTagLength(size_t at) {
  PatchU32(at, static_cast<int32_t>(gState.output.size() - at - 4));
}

Bytes LongToBytes(int32_t value) {
  Bytes b(4);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>((static_cast<uint32_t>(value) >> (8 * i)) & 255);
  return b;
}

Bytes FloatToBytes(float value) {
  int32_t bits;
  std::memcpy(&bits, &value, 4);
  return LongToBytes(bits);
}

bool SaveOutput(const std::filesystem::path& path) {
  if (gState.output.size() >= 8) PatchU32(4, static_cast<int32_t>(gState.output.size()));
  const Result<void> written = fileio::WriteAtomic(path, gState.output);
  if (!written) gState.diagnostics.push_back(written.message());
  gState.output.clear();
  return written.ok();
}

Bytes MakeRect16(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  return RectBytes({16, 16}, xmin, xmax, ymin, ymax);
}

Bytes MakeRect24(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  return RectBytes({24, 24}, xmin, xmax, ymin, ymax);
}

Bytes MakeRect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax) {
  // Fields stay 16 bits wide up to 1638 pixels, so that small stages keep one
  // layout whatever their size.
  return RectBytes({16, 31}, xmin, xmax, ymin, ymax);
}

Bytes MakeMatrix(float sx, float sy, float r0, float r1, int32_t tx, int32_t ty) {
  Matrix m;
  m.scaleX = Fixed16(sx);
  m.scaleY = Fixed16(sy);
  m.rotateSkew0 = Fixed16(r0);
  m.rotateSkew1 = Fixed16(r1);
  // Decided on the terms as given, so that a term that only rounds to 1 or 0
  // is still written.
  m.hasScale = sx != 1.0f || sy != 1.0f;
  m.hasRotate = r0 != 0.0f || r1 != 0.0f;
  // Placements keep their translation within +-2^29 twips, the range they
  // have always been written in; no stage comes near it.
  m.translateX = Twips(std::clamp(tx, -(1 << 29), (1 << 29) - 1));
  m.translateY = Twips(std::clamp(ty, -(1 << 29), (1 << 29) - 1));
  BitWriter w;
  WriteMatrix(w, m);
  return w.bytes();
}

Bytes MakeCXForm(int32_t mR, int32_t mG, int32_t mB, int32_t mA, int32_t aR, int32_t aG, int32_t aB,
                 int32_t aA) {
  BitWriter w;
  WriteColorTransform(w, ColorTransform{{mR, mG, mB, mA}, {aR, aG, aB, aA}});
  return w.bytes();
}

Bytes StringToBytes(std::string_view text, bool noTerminator) {
  Bytes out;
  if (gState.version != 4) {
    out.assign(text.begin(), text.end());
    if (!noTerminator) out.push_back(0);
    return out;
  }
  if (auto sjis = enc::Utf8ToCp932(text)) {
    out.assign(sjis->begin(), sjis->end());
  } else {
    // Character by character, so that one character without a CP932 form
    // costs only itself; the build reports it.
    size_t i = 0;
    while (i < text.size()) {
      size_t n = 1;
      const auto c = static_cast<unsigned char>(text[i]);
      if (c >= 0xF0) n = 4;
      else if (c >= 0xE0) n = 3;
      else if (c >= 0xC0) n = 2;
      n = std::min(n, text.size() - i);
      if (auto one = enc::Utf8ToCp932(text.substr(i, n))) {
        out.insert(out.end(), one->begin(), one->end());
      } else {
        out.push_back('?');
        gState.diagnostics.push_back("文字 \"" + std::string(text.substr(i, n)) +
                                     "\" はSWF4の文字列に使えません");
      }
      i += n;
    }
  }
  out.push_back(0);
  return out;
}

}  // namespace tesmiro::SWFMakeCore
