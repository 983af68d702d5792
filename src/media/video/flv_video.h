#pragma once
// FLV videos embedded as SWF video streams: one DefineVideoStream, then one
// VideoFrame per movie frame with the next video packet of the file. MP3
// audio of the file goes into the writer's MP3 stream.
#include <cstdint>
#include <string>

namespace tesmiro::SWFMakeCore {

// Where the next video packet to write stands in the file.
struct FLVReadState {
  int64_t videoDataPosition = 0;  // 0-based file offset of the packet's data
  int32_t videoDataSize = 0;      // 0 = no further video packet
  int32_t codec = 0;              // 2 Sorenson H.263, 3 Screen Video
};

FLVReadState& FLVRead();

// DefineVideoStream for the video, and the stream head of its MP3 audio when
// `soundWanted` and the file has some. `startFrame` counts the file's video
// packets from 1. True when the stream was defined; otherwise `problem`
// names the file and why, unless the writer has told the user already.
bool WriteDefineVideoStream(int32_t id, int32_t frameCount, const std::string& path, int32_t startFrame,
                            bool soundWanted, std::string* problem = nullptr);
// The VideoFrame of movie frame `frameNumber` (from 0) of the video, when a
// packet is left.
void WriteVideoFrame(int32_t id, int32_t frameNumber, const std::string& path);

}  // namespace tesmiro::SWFMakeCore
