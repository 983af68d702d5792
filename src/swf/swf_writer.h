#pragma once
// The SWF writer: one movie at a time in module state. Tag writers append to
// the output buffer of the frame (or definition) being built; the staged file
// writer moves the buffers into the file and patches lengths and counts.
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_io.h"
#include "swf/action_kind.h"
#include "swf/bit_writer.h"
#include "swf/filter_state.h"
#include "swf/tag_codes.h"

namespace tesmiro::SWFMakeCore {

using Bytes = std::vector<uint8_t>;
using ::tesmiro::ActionKind;

constexpr int32_t kMinDepth = -256;
constexpr int32_t kMaxDepth = 256;
constexpr int32_t kNoClipDepth = -65536;
constexpr int32_t kFirstAutoID = 20000;
// Fixed IDs that automatic IDs must never reach: the event preview's
// placeholder sprite.
constexpr int32_t kPreviewSpriteID = 50000;
constexpr int32_t kMaxFrames = 65535;

// What the writer last wrote for the character on one depth, so that a move
// can restore a neutral matrix or colour transform that the tag would omit.
struct DepthSlot {
  int16_t occupied = 0;  // -1 occupied
  bool matrixSet = false;  // the last placement wrote a non-identity matrix
  bool cxformSet = false;  // the last placement wrote a non-neutral colour transform
};

// One problem met while writing, for the caller to show; the writer itself
// never talks to the user.
struct Diagnostic {
  enum class Kind : uint8_t {
    // A value pulled into range, a limit met, a file error: the caller lists
    // these together once the movie is done.
    Listed,
    // A part left out of the movie or incomplete ("警告"): told on its own,
    // as soon as the caller gets control back.
    Warning,
    // A script that did not compile, so its actions are missing: told on its
    // own like a warning, as an error.
    ScriptError,
  };
  // Most diagnostics are listed ones, recorded by their text alone.
  Diagnostic(std::string listed) : text(std::move(listed)) {}  // NOLINT(google-explicit-constructor)
  Diagnostic(const char* listed) : text(listed) {}              // NOLINT(google-explicit-constructor)
  Diagnostic(Kind told, std::string message) : kind(told), text(std::move(message)) {}

  Kind kind = Kind::Listed;
  std::string text;
};

struct State {
  Bytes output;                    // the OutputBuffer
  std::vector<Bytes> frames{Bytes{}};  // FrameBuffers, index 0..HighestFrame
  int32_t currentFrame = 0;
  int32_t highestFrame = 0;
  int32_t autoID = kFirstAutoID;
  int version = 6;
  float frameRate = 12.0f;
  std::array<DepthSlot, kMaxDepth - kMinDepth + 1> depths{};
  // Problems met while writing (out-of-range depths, IDs or frames, file
  // errors, parts left out, scripts that did not compile), in the order they
  // happened; the caller reports them.
  std::vector<Diagnostic> diagnostics;
  // The diagnostics before this index are listed ones the caller has looked
  // through already, so that a long build looks at each only once.
  size_t diagnosticsSeen = 0;
  // Frames the movie holds before the timeline being written (the loading
  // screen's), for which that timeline leaves room below the limit.
  int32_t framesBefore = 0;
  // The diagnostics tell already that the movie went past the last frame:
  // once is enough, however many events and timelines go on past it.
  bool frameLimitReported = false;
};

State& WriterState();
// A value from the project that the movie cannot hold, pulled into lo..hi
// (NaN counts as 0); out-of-range values are reported with the build.
int32_t ClampWarn(double value, int32_t lo, int32_t hi, std::string_view what);
// A fresh writer (tests; the program relies on WriteSWFHeader instead).
void ResetState();
// Empties the diagnostics for a new build or preview.
void ClearDiagnostics();
int GetSWFVersion();

// ---- byte layer -----------------------------------------------------------
void InitBitTable();
Bytes& OutputBuffer();
int32_t Reserve(int32_t n);
void WriteHex(std::string_view hex);
// AppendTagHeader on the output buffer.
size_t WriteTagHeader(TagCode code, int32_t length, TagForm form = TagForm::Shortest);
void SplitWord(int32_t value, uint8_t& high, uint8_t& low);
void SplitLong(int32_t value, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4);
void CopyToOutput(int32_t position, const Bytes& source, int32_t count);
void WriteU16(int32_t value);  // little-endian, appended
void WriteU32(int32_t value);
void PatchU16(size_t at, int32_t value);
void PatchU32(size_t at, int32_t value);
// Patches a long tag header's length whose first length byte is at `at`.
void PatchTagLength(size_t at);
Bytes LongToBytes(int32_t value);
Bytes FloatToBytes(float value);
// Writes the whole buffer as a complete movie (length patched) and empties
// it. False, with a diagnostic and no file left behind, on an I/O error.
bool SaveOutput(const std::filesystem::path& path);

// Records of the format as bytes, over the typed records of swf_records.h.
Bytes MakeRect16(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax);
Bytes MakeRect24(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax);
// A RECT with 16-bit fields when every value fits, otherwise the bits needed.
Bytes MakeRect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax);
// A placement's matrix: a scale of exactly 1 and a rotation of exactly 0 are
// left out; translations stay within +-2^29 twips.
Bytes MakeMatrix(float sx, float sy, float r0, float r1, int32_t tx, int32_t ty);
Bytes MakeCXForm(int32_t mR, int32_t mG, int32_t mB, int32_t mA, int32_t aR, int32_t aG, int32_t aB,
                 int32_t aA);
// SWF string bytes for the current version: UTF-8 (+ NUL unless noTerminator)
// from SWF 5 on, CP932 + NUL always for SWF 4.
Bytes StringToBytes(std::string_view text, bool noTerminator = false);

// ---- movie buffers and file assembly ---------------------------------------
bool WriteSWFHeader(int version, int32_t width, int32_t height, float rate);
void WriteShowFrame();
void WriteEnd();
bool NextFrame();
void GoFrame(int32_t n);
// The steps of writing a movie file, in the order a build takes them.
enum class MovieStage : int32_t {
  Open = 1,         // opens the file and writes the buffer (the header)
  WriteBuffer = 2,  // writes the buffer (definitions) as it stands
  Finish = 3,       // writes the buffer, sets length and frame count, closes
  BeginSprite = 4,  // a sprite's frames start; the buffer held its header
  EndSprite = 5,    // sets the sprite's length and frame count
  WriteFrames = 6,  // writes every frame buffer, each with its ShowFrame
  FinishAfterLoader = 7,  // Finish, counting the loading screen's frame too
  CacheMovie = 99,  // keeps the bytes so far for RestoreMovieCache
};
// One stage of the file writer. False when the stage failed; the failure is
// sticky until the next Open, and a failed Finish deletes the partial file.
bool WriteMovieFile(const std::filesystem::path& path, MovieStage stage);
// Closes and deletes a movie file that is being written (cancel, failure).
void AbandonMovieFile();
// AbandonMovieFile, and forgets a finished movie not yet taken, a failure
// and the cached movie: the file writer as at start-up.
void ResetMovieFile();
// With `keep`, a finished movie does not replace its target yet: its caller
// takes it (still open, synced) to compress it or to add the steps that
// must succeed before the old movie goes.
void KeepFinishedMovie(bool keep);
std::unique_ptr<fileio::ReplacementFile> TakeFinishedMovie();
bool MovieFileFailed();
// Bytes written to the movie file since it was opened.
int64_t MovieFileSize();
void ClearMovieCache();
bool RestoreMovieCache(bool use);

// ---- display list -----------------------------------------------------------
struct Placement {
  int32_t characterId = 0;
  int32_t x = 0, y = 0;  // twips
  float scaleX = 1.0f, scaleY = 1.0f;
  float rotation = 0;  // radians
  int32_t brightness = 0;
  int32_t alpha = 256;  // 256 = 1.0
  int32_t depth = 0;
  std::string name;
  std::string clipActions;
  int32_t clipDepth = kNoClipDepth;
  float ratio = -1;
  FilterState filters;
  int32_t blendMode = 0;
};
bool WritePlaceObject(const Placement& p);
bool WriteRemoveObject2(int32_t depth);
bool RemoveObjects(std::string_view text);
int32_t DepthIndex(int32_t depth);
void ClearDepthTable();
bool DepthOccupied(int32_t depth);

// ---- buttons, labels, background, actions, sprites, export names ----------
int32_t NextAutoID();
void WriteSetBackgroundColor(uint8_t r, uint8_t g, uint8_t b);
void WriteFrameLabel(std::string_view label);
int32_t BuildSimpleAction(const std::string& text1, const std::string& text2, ActionKind kind);
void WriteDoAction(const std::string& text1, const std::string& text2, ActionKind kind);
int32_t WriteDefineButton(int32_t up, int32_t down, int32_t over, int32_t hit, ActionKind kind,
                          const std::string& text1, const std::string& text2, int32_t depth);
int32_t WriteDefineButton2(int32_t up, int32_t down, int32_t over, int32_t hit, ActionKind kind,
                           const std::string& text1, const std::string& script, int32_t depth);
void WriteSpriteHeader(int32_t id);
void WriteExportName(int32_t id, std::string_view name);
// Escapes a text for a double-quoted string literal of a generated script.
std::string QuoteScriptString(std::string_view text);

}  // namespace tesmiro::SWFMakeCore
