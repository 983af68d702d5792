#include "media/image/jpeg_library.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "platform/file_io.h"

namespace tesmiro::mIntelJPEGLibrary {
namespace {

const char* const kErrorSource = "Tesmiro.mIntelJPEGLibrary";

JpegError SaveError(const std::string& why) { return {kJpegErrorNumber, kErrorSource, why}; }

// The encoder's failure in words: the ones a picture can cause by name, the
// rest by the library's number.
std::string EncoderReason(int code) {
  switch (code) {
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
      return "画像が大きすぎます（JPEGは一辺 " + std::to_string(JPEG_MAX_DIMENSION) + " ピクセルまで）";
    case JERR_EMPTY_IMAGE:
      return "画像が空です";
    case JERR_OUT_OF_MEMORY:
      return "メモリが足りません";
    default:
      return "JPEGの圧縮でエラーが起きました（エラー番号 " + std::to_string(code) + "）";
  }
}

// The reason of a failed write, without the file: the caller names it.
std::string WriteReason(const std::filesystem::path& path, const std::string& message) {
  const std::string named = fileio::WriteFailureText(path, "");
  return message.rfind(named, 0) == 0 ? message.substr(named.size()) : message;
}

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatalError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void OnMessage(j_common_ptr, int) {}

// Compressed bytes go straight into a growing vector.
struct VectorDestination {
  jpeg_destination_mgr base;
  image::Bytes* out;
  size_t initial;
};

void StartOutput(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  dest->out->resize(dest->initial);
  dest->base.next_output_byte = dest->out->data();
  dest->base.free_in_buffer = dest->out->size();
}
boolean GrowOutput(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  size_t used = dest->out->size();
  dest->out->resize(used * 2);
  dest->base.next_output_byte = dest->out->data() + used;
  dest->base.free_in_buffer = dest->out->size() - used;
  return TRUE;
}
void EndOutput(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  dest->out->resize(dest->out->size() - dest->base.free_in_buffer);
}

// Objects with destructors are owned by the caller: libjpeg leaves this
// function by longjmp on an error. The library's message code comes back in
// `code`.
bool Encode(const cDIBSection& dib, int quality, image::Bytes& out, int& code) {
  jpeg_compress_struct info{};
  ErrorManager errors{};
  VectorDestination dest{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnFatalError;
  errors.base.emit_message = OnMessage;
  if (setjmp(errors.jump)) {
    code = errors.base.msg_code;
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  dest.base.init_destination = StartOutput;
  dest.base.empty_output_buffer = GrowOutput;
  dest.base.term_destination = EndOutput;
  dest.out = &out;
  dest.initial = std::max<size_t>(64 * 1024, static_cast<size_t>(dib.Width()) * static_cast<size_t>(dib.Height()) / 2);
  info.dest = &dest.base;

  info.image_width = static_cast<JDIMENSION>(dib.Width());
  info.image_height = static_cast<JDIMENSION>(dib.Height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const uint8_t* bits = dib.DIBSectionBitsPtr();
  const size_t stride = static_cast<size_t>(dib.BytesPerScanLine());
  JSAMPROW rows[16];
  while (info.next_scanline < info.image_height) {
    JDIMENSION count = 0;
    for (; count < 16 && info.next_scanline + count < info.image_height; ++count)
      rows[count] = const_cast<JSAMPROW>(bits + (info.next_scanline + count) * stride);
    jpeg_write_scanlines(&info, rows, count);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

EncodedJPEG EncodeJPEG(const cDIBSection& dib, int32_t quality) {
  EncodedJPEG result;
  int code = 0;
  if (!Encode(dib, std::clamp(quality, 1, 100), result.data, code)) {
    result.data.clear();
    result.error = SaveError(EncoderReason(code));
  }
  return result;
}

JpegStatus SaveJPG(const cDIBSection& dib, const std::filesystem::path& path, int32_t quality) {
  EncodedJPEG encoded = EncodeJPEG(dib, quality);
  if (!encoded.ok()) return {encoded.error};

  struct stat old {};
  bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  if (Result<void> written = fileio::WriteAtomic(path, encoded.data); !written)
    return {SaveError(WriteReason(path, written.message()))};
  if (replacing) {
    // The creation time has no counterpart that can be set here.
    ::chmod(path.c_str(), old.st_mode & 07777);
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  }
  return {};
}

}  // namespace tesmiro::mIntelJPEGLibrary
