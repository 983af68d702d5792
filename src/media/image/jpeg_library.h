#pragma once
// JPEG encoding of a 24-bit pixel buffer (libjpeg-turbo, baseline, in
// memory). Failures are typed values carrying the program's error number.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "media/image/dib_section.h"

namespace tesmiro::mIntelJPEGLibrary {

constexpr int32_t kJpegErrorNumber = 26001;

struct JpegError {
  int32_t number = kJpegErrorNumber;
  std::string source;       // "Tesmiro.mIntelJPEGLibrary"
  std::string description;  // why, for the user; the caller names the file
};

struct EncodedJPEG {
  image::Bytes data;  // a complete JPEG file
  std::optional<JpegError> error;
  bool ok() const { return !error.has_value(); }
};

// Quality 1 to 100 (values outside are clamped).
EncodedJPEG EncodeJPEG(const cDIBSection& dib, int32_t quality);

struct JpegStatus {
  std::optional<JpegError> error;
  bool ok() const { return !error.has_value(); }
};

// Writes the bitmap as a JPEG file. An existing file is replaced atomically
// and the new one gets its permissions and access and modification times.
JpegStatus SaveJPG(const cDIBSection& dib, const std::filesystem::path& path, int32_t quality);

}  // namespace tesmiro::mIntelJPEGLibrary
