// The one-frame preview movie of a KVG file, and the definitions of a vector
// store item in a movie.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

#include "media/vector/kvg.h"
#include "media/vector/vector_shape.h"
#include "swf/swf_writer.h"

namespace tesmiro::ShapeModule {
namespace {

std::filesystem::path ReservePreviewPath(const std::filesystem::path& folder);

// "ファイル [path] を読み込めません：why", the file named once: the reader's
// own message, which names it, stays as it is.
std::string Unreadable(const std::filesystem::path& path, const std::string& why) {
  const std::string named = "ファイル [" + path.string() + "] ";
  return why.rfind(named, 0) == 0 ? why : named + "を読み込めません：" + why;
}

}  // namespace

std::filesystem::path MakeKVGPreviewSWF(const std::filesystem::path& path, const AppPaths& paths) {
  const KvgDeclaredSize size = ReadKVGDeclaredSize(path);
  KvgImage image = LoadKVG(path).value_or(KvgImage{});

  SWFMakeCore::WriteSWFHeader(6, size.width, size.height, 12.0f);
  if (image.count >= 1) {
    SWFMakeCore::WriteVectorShape(1, image, GetKVGBounds(image), true);
    SWFMakeCore::Placement place;
    place.characterId = 1;
    place.depth = 2;
    SWFMakeCore::WritePlaceObject(place);
  }
  SWFMakeCore::WriteShowFrame();
  SWFMakeCore::WriteEnd();
  SWFMakeCore::PatchU16(19, 1);  // the header counts the one frame

  // Several previews may be open at once (and several programs may share a
  // temporary folder), so the name is claimed before the movie is written.
  const std::filesystem::path out = ReservePreviewPath(paths.scratch);
  if (out.empty()) {
    SWFMakeCore::OutputBuffer().clear();
    return {};
  }
  if (!SWFMakeCore::SaveOutput(out)) {
    std::error_code ec;
    std::filesystem::remove(out, ec);
    return {};
  }
  return out;
}

bool EmitVectorItem(const VectorItem& item, std::string* problem) {
  std::string why;
  const std::string file = "ファイル [" + item.path.string() + "] ";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(item.path, ec)) {
    if (problem) *problem = file + "がありません";
    return false;
  }
  Result<KvgImage> loaded = LoadKVG(item.path);
  if (!loaded) why = Unreadable(item.path, loaded.message());
  KvgImage image = std::move(loaded).value_or(KvgImage{});
  const KvgBounds bounds = GetKVGBounds(image);

  if (!item.morphTarget.empty()) {
    Result<KvgImage> end = LoadKVG(item.morphTarget);
    if (!end && why.empty()) why = file + "はモーフィングできません：変形先の" + Unreadable(item.morphTarget, end.message());
    const KvgImage target = std::move(end).value_or(KvgImage{});
    const SWFMakeCore::MorphResult made =
        SWFMakeCore::WriteDefineMorphShape(2 * item.id, image, target, bounds, GetKVGBounds(target));
    if (made == SWFMakeCore::MorphResult::Empty && why.empty()) why = file + "はモーフィングできません：図形がありません";
    if (problem && made != SWFMakeCore::MorphResult::Written) *problem = why;
    return made == SWFMakeCore::MorphResult::Written;
  }
  if (problem) *problem = why;
  const bool asMask = (item.usage & 2) != 0;
  const bool asObject = (item.usage & 1) != 0 || item.usage == 0;
  if (item.mode != 2 && asMask) {
    SWFMakeCore::WriteVectorShape(2 * item.id - 1, image, bounds, false);
    if (!item.exportName.empty()) SWFMakeCore::WriteExportName(2 * item.id - 1, item.exportName);
  }
  if (item.mode == 2 || asObject) {
    SWFMakeCore::WriteVectorShape(2 * item.id, image, bounds, true);
    if (!item.exportName.empty()) SWFMakeCore::WriteExportName(2 * item.id, item.exportName);
  }
  return true;
}

namespace {

std::filesystem::path ReservePreviewPath(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = folder / ("_preview" + std::to_string(random() % 1000000000) + ".swf");
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace
}  // namespace tesmiro::ShapeModule
