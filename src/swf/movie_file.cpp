// Movie buffers, frames and the staged file writer.
//
// The file is written to a new, exclusively created file beside the target
// and renamed over it only when the movie is complete, so a failed or
// cancelled build never leaves a partial movie (nor destroys the previous
// one), and nothing planted beside the target is written through.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/numeric.h"
#include "swf/font_cache.h"
#include "swf/sound_stream.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

// The file being written by the staged writer.
struct MovieFileState {
  std::FILE* file = nullptr;
  std::filesystem::path path;
  // The new movie, in a file of its own until it is complete.
  std::unique_ptr<fileio::ReplacementFile> replacement;
  // A finished movie is left unreplaced for TakeFinishedMovie.
  bool keepFinished = false;
  int64_t bytesWritten = 0;
  int64_t spriteStart = 0;  // 1-based position of the DefineSprite tag being written
  int64_t frameCountOffset = 19;  // where the header keeps the frame count
  bool failed = false;
  // The movie's bytes up to CacheMovie, for RestoreMovieCache.
  Bytes movieCache;
};

MovieFileState gFile;

void Fail(int errnum) {
  State& s = WriterState();
  if (!gFile.failed) s.diagnostics.push_back(fileio::WriteFailureText(gFile.path, fileio::ReasonText(errnum)));
  gFile.failed = true;
}

bool WriteRaw(const Bytes& bytes) {
  if (gFile.failed || !gFile.file) return false;
  if (bytes.empty()) return true;
  if (std::fwrite(bytes.data(), 1, bytes.size(), gFile.file) != bytes.size()) {
    Fail(errno);
    return false;
  }
  gFile.bytesWritten += static_cast<int64_t>(bytes.size());
  return true;
}

bool PatchFile(int64_t offset, uint32_t value, int width) {
  if (gFile.failed || !gFile.file) return false;
  uint8_t b[4];
  for (int i = 0; i < width; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
  if (std::fseek(gFile.file, static_cast<long>(offset), SEEK_SET) != 0 ||
      std::fwrite(b, 1, static_cast<size_t>(width), gFile.file) != static_cast<size_t>(width) ||
      std::fseek(gFile.file, 0, SEEK_END) != 0) {
    Fail(errno);
    return false;
  }
  return true;
}

void ResetFrames() {
  State& s = WriterState();
  s.currentFrame = 0;
  s.highestFrame = 0;
  s.frames.assign(1, Bytes{});
  s.framesBefore = 0;
}

int32_t LastFrame() { return kMaxFrames - WriterState().framesBefore; }

void ReportFrameLimit() {
  State& s = WriterState();
  if (s.frameLimitReported) return;
  s.frameLimitReported = true;
  s.diagnostics.push_back("フレーム数が " + std::to_string(kMaxFrames) + " を超えています");
}

// Offset of the frame-count field of a header held in `bytes`: it follows
// the frame RECT, whose size depends on its bit count.
int64_t FrameCountOffsetOf(const Bytes& bytes) {
  if (bytes.size() < 9) return 19;
  const int nbits = bytes[8] >> 3;
  return 8 + (5 + 4 * nbits + 7) / 8 + 2;
}

bool Finish(int32_t frameCount) {
  State& s = WriterState();
  if (!gFile.file) return false;
  if (frameCount > kMaxFrames) {
    s.diagnostics.push_back("フレーム数が " + std::to_string(kMaxFrames) + " を超えています");
    gFile.failed = true;
  }
  if (gFile.bytesWritten > INT32_MAX) {
    s.diagnostics.push_back("SWFファイルが大きすぎます");
    gFile.failed = true;
  }
  PatchFile(4, static_cast<uint32_t>(gFile.bytesWritten), 4);
  PatchFile(gFile.frameCountOffset, static_cast<uint32_t>(frameCount), 2);
  std::FILE* f = gFile.file;
  gFile.file = nullptr;
  bool ok = !gFile.failed;
  if (std::fflush(f) != 0) {
    if (ok) Fail(errno);
    ok = false;
  }
  if (std::fclose(f) != 0 && ok) {
    Fail(errno);
    ok = false;
  }
  if (ok && !gFile.keepFinished && !gFile.replacement->commit()) {
    s.diagnostics.push_back(gFile.replacement->error());
    ok = false;
  }
  if (!ok) {
    gFile.replacement.reset();
    gFile.failed = true;
  } else if (!gFile.keepFinished) {
    gFile.replacement.reset();
  }
  return ok;
}

}  // namespace

bool WriteSWFHeader(int version, int32_t width, int32_t height, float rate) {
  State& s = WriterState();
  bool ok = true;
  if (version < 1 || version > 255) {
    s.diagnostics.push_back("SWFバージョン " + std::to_string(version) + " は使えません");
    version = 6;
    ok = false;
  }
  if (!(rate >= 0.0f && rate < 256.0f)) {
    s.diagnostics.push_back("フレームレート " + num::CStr(rate) + " は 0 以上 256 未満にしてください");
    rate = std::isnan(rate) ? 12.0f : std::clamp(rate, 0.0f, 255.99f);
    ok = false;
  }
  s.output.clear();
  s.version = version;
  s.frameRate = rate;
  WriteHex("465753");
  s.output.push_back(static_cast<uint8_t>(version));
  WriteU32(0);
  const int64_t w = static_cast<int64_t>(width) * 20, h = static_cast<int64_t>(height) * 20;
  const Bytes rect = MakeRect(0, static_cast<int32_t>(std::clamp<int64_t>(w, 0, 1 << 29)), 0,
                              static_cast<int32_t>(std::clamp<int64_t>(h, 0, 1 << 29)));
  s.output.insert(s.output.end(), rect.begin(), rect.end());
  const double whole = std::floor(static_cast<double>(rate));
  s.output.push_back(static_cast<uint8_t>(num::FloorToInt32((rate - whole) * 256.0)));
  s.output.push_back(static_cast<uint8_t>(whole));
  gFile.frameCountOffset = static_cast<int64_t>(s.output.size());
  WriteU16(0);

  ResetFrames();
  s.autoID = kFirstAutoID;
  ClearDepthTable();
  ResetSoundStream();
  ResetFontCache();
  return ok;
}

void WriteShowFrame() { WriteTagHeader(TagCode::ShowFrame, 0); }

void WriteEnd() { WriteTagHeader(TagCode::End, 0); }

bool NextFrame() {
  State& s = WriterState();
  if (s.currentFrame + 1 > s.highestFrame && s.currentFrame + 1 > LastFrame()) {
    ReportFrameLimit();
    return false;
  }
  if (s.currentFrame >= 0) s.frames[static_cast<size_t>(s.currentFrame)] = std::move(s.output);
  s.output.clear();
  s.currentFrame += 1;
  // The frame's bytes move into the buffer and back when the writer leaves
  // it: copying them would make overlapping events quadratic.
  if (s.currentFrame <= s.highestFrame) {
    if (s.currentFrame >= 0) s.output = std::move(s.frames[static_cast<size_t>(s.currentFrame)]);
  } else {
    s.highestFrame = s.currentFrame;
    s.frames.resize(static_cast<size_t>(s.highestFrame) + 1);
  }
  WriteMP3StreamBlock(s.frameRate);
  return true;
}

void GoFrame(int32_t n) {
  State& s = WriterState();
  if (s.currentFrame >= 0) s.frames[static_cast<size_t>(s.currentFrame)] = std::move(s.output);
  s.output.clear();
  int64_t target = static_cast<int64_t>(s.currentFrame) + n;
  if (target > LastFrame()) {
    ReportFrameLimit();
    target = LastFrame();
  }
  s.currentFrame = static_cast<int32_t>(target);
  // A jump past the last frame makes the frames up to it, empty.
  if (s.currentFrame > s.highestFrame) {
    s.highestFrame = s.currentFrame;
    s.frames.resize(static_cast<size_t>(s.highestFrame) + 1);
  }
  if (s.currentFrame >= 0) s.output = std::move(s.frames[static_cast<size_t>(s.currentFrame)]);
}

bool WriteMovieFile(const std::filesystem::path& path, MovieStage stage) {
  State& s = WriterState();
  bool ok = true;
  switch (stage) {
    case MovieStage::Open: {
      if (gFile.file) AbandonMovieFile();
      gFile.replacement.reset();
      gFile.path = path;
      gFile.failed = false;
      gFile.bytesWritten = 0;
      gFile.frameCountOffset = FrameCountOffsetOf(s.output);
      gFile.replacement = std::make_unique<fileio::ReplacementFile>(path);
      const int fd = gFile.replacement->ok() ? ::dup(gFile.replacement->fd()) : -1;
      gFile.file = fd >= 0 ? ::fdopen(fd, "w+b") : nullptr;
      if (!gFile.file) {
        if (!gFile.replacement->ok()) {
          s.diagnostics.push_back(gFile.replacement->error());
          gFile.failed = true;
        } else {
          Fail(errno);
        }
        if (fd >= 0) ::close(fd);
        gFile.replacement.reset();
        ok = false;
        break;
      }
      ok = WriteRaw(s.output);
      break;
    }
    case MovieStage::WriteBuffer:
      ok = WriteRaw(s.output);
      break;
    case MovieStage::Finish:
    case MovieStage::FinishAfterLoader:
      ok = WriteRaw(s.output);
      ok = Finish(stage == MovieStage::Finish ? s.highestFrame : s.highestFrame + 1) && ok;
      break;
    case MovieStage::BeginSprite:
      gFile.spriteStart = gFile.bytesWritten + 1;
      ResetFrames();
      ResetSoundStream();
      break;
    case MovieStage::EndSprite: {
      const int64_t start0 = gFile.spriteStart - 1;
      const int64_t body = gFile.bytesWritten - gFile.spriteStart + 1 - 6;
      if (s.highestFrame > kMaxFrames) {
        s.diagnostics.push_back("スプライトのフレーム数が " + std::to_string(kMaxFrames) + " を超えています");
        gFile.failed = true;
      }
      ok = PatchFile(start0 + 2, static_cast<uint32_t>(body), 4) &&
           PatchFile(start0 + 8, static_cast<uint32_t>(s.highestFrame), 2);
      ResetFrames();
      ResetSoundStream();
      ClearDepthTable();
      break;
    }
    case MovieStage::WriteFrames: {
      // The frame being built goes back to its buffer first, so that every
      // frame is written once, in order, even when the build last jumped
      // back to an earlier frame.
      if (s.currentFrame >= 0 && s.currentFrame <= s.highestFrame) {
        s.frames[static_cast<size_t>(s.currentFrame)] = std::move(s.output);
      }
      s.output.clear();
      for (int32_t i = 0; i < s.highestFrame && ok; ++i) {
        Bytes& frame = s.frames[static_cast<size_t>(i)];
        AppendTagHeader(frame, TagCode::ShowFrame, 0);
        ok = WriteRaw(frame);
        frame.clear();
      }
      if (ok) ok = WriteRaw(s.frames[static_cast<size_t>(s.highestFrame)]);
      s.frames[static_cast<size_t>(s.highestFrame)].clear();
      // The current frame's buffer was written; the writer goes on with an
      // empty one as the frame machinery expects after the stage.
      break;
    }
    case MovieStage::CacheMovie:
      if (gFile.file && !gFile.failed) {
        gFile.movieCache.assign(static_cast<size_t>(gFile.bytesWritten), 0);
        std::fflush(gFile.file);
        if (std::fseek(gFile.file, 0, SEEK_SET) != 0 ||
            std::fread(gFile.movieCache.data(), 1, gFile.movieCache.size(), gFile.file) != gFile.movieCache.size() ||
            std::fseek(gFile.file, 0, SEEK_END) != 0) {
          gFile.movieCache.clear();
          Fail(errno);
          ok = false;
        }
      }
      break;
    default:
      break;
  }
  s.output.clear();
  return ok && !gFile.failed;
}

void AbandonMovieFile() {
  if (gFile.file) {
    std::fclose(gFile.file);
    gFile.file = nullptr;
    gFile.replacement.reset();
  }
}

void ResetMovieFile() {
  AbandonMovieFile();
  gFile = MovieFileState{};
}

void KeepFinishedMovie(bool keep) { gFile.keepFinished = keep; }

std::unique_ptr<fileio::ReplacementFile> TakeFinishedMovie() {
  if (gFile.file) return nullptr;  // not finished
  return std::move(gFile.replacement);
}

bool MovieFileFailed() { return gFile.failed; }

int64_t MovieFileSize() { return gFile.bytesWritten; }

void ClearMovieCache() { gFile.movieCache.clear(); }

bool RestoreMovieCache(bool use) {
  State& s = WriterState();
  if (!use || gFile.movieCache.empty()) {
    s.output.clear();
    return false;
  }
  s.output = gFile.movieCache;
  if (s.output.size() > 3) s.version = s.output[3];
  ResetFrames();
  s.autoID = kFirstAutoID;
  ClearDepthTable();
  ResetSoundStream();
  return true;
}

}  // namespace tesmiro::SWFMakeCore
