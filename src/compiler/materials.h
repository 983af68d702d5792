#pragma once
// The movie compiler's calls into the media writers, one function per use,
// so that the build reads as a list of what goes into the movie. Each definition returns
// false, with `warning` set when the user should hear about it, when the
// material was left out.
#include <cstdint>
#include <filesystem>
#include <string>

#include "compiler/event_compiler.h"
#include "project/records.h"

namespace tesmiro::GUICore::materials {

// The file a file material names, found as project paths are resolved
// (relative to the project, without regard to case, beside the project);
// empty when there is none.
std::string ResolveMaterialPath(const StoreItem& item);

// Definitions (character IDs 2 x ID - 1 and 2 x ID). File materials come
// with their path already resolved.
bool DefineRasterImage(const StoreItem& item, std::string& warning);
bool DefineSound(const StoreItem& item, std::string& warning);
// A text with an effect becomes a sprite, written through the file's stages.
bool DefineText(const std::filesystem::path& outPath, const StoreItem& item, EmitMode mode, std::string& warning);
bool DefineVector(const StoreItem& item, EmitMode mode, std::string& warning);

// Sound events and the silent synchronisation stream.
void StartSound(const StoreItem& item, int16_t soundMode, const std::string& volumeText);
void StartStream(const StoreItem& item, float frameRate);
void SkipStream(float frameRate, int32_t frames);
void SilentStreamHead(float frameRate);
void SilentStreamBlock(float frameRate);

// Video: the stream definition of one event, then one frame per call.
bool DefineVideoStream(const StoreItem& item, int32_t frames, bool withSound);
void VideoFrame(const StoreItem& item, int32_t frame);

}  // namespace tesmiro::GUICore::materials
