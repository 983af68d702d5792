#pragma once
// The writer's single MP3 stream (fed by sound events and by the audio of
// FLV videos) and the silent stream that keeps a movie in step with its
// frame rate. The frame and movie machinery calls ResetSoundStream and
// WriteMP3StreamBlock.
#include <cstdint>
#include <string_view>
#include <vector>

namespace tesmiro::SWFMakeCore {

struct MP3StreamState {
  std::vector<uint8_t> data;  // the MP3 frames, tags removed
  int32_t readIndex = -1;     // next MP3 frame in data; -1 = no stream
  int32_t samplesPerMP3Frame = 0;
  int32_t frameLength = 0;    // bytes of the current MP3 frame without padding
  int32_t carry = 0;          // samples due to the stream, not yet written
  int32_t lastBlockFrame = 0; // movie frame up to which blocks were written
  int32_t sampleRate = 0;
};

MP3StreamState& MP3Stream();
// A fresh stream state, data included (tests; the program only resets).
void ClearMP3StreamState();

// Ends any running stream; the next frames get no stream blocks.
void ResetSoundStream();
// Appends the stream block of the frame now current, when a stream runs.
void WriteMP3StreamBlock(float frameRate);
// Starts a stream on the data already in MP3Stream(): appends the
// SoundStreamHead, or warns (naming `path`), ends any stream and writes
// nothing. True when the stream started.
bool StartMP3Stream(float frameRate, std::string_view path);
// Moves the stream on by `frames` movie frames' worth of MP3 frames without
// writing anything.
void SkipMP3Stream(float frameRate, int32_t frames);

void WriteSilentStreamHead(float frameRate);
// One block of silence for the current frame, unless the frame already
// exists (written before) or an MP3 stream runs.
void WriteSilentStreamBlock(float frameRate);

}  // namespace tesmiro::SWFMakeCore
