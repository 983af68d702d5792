// Any bytes as a project file, opened and built as File > Make SWF builds it
// (compression and HTML page included): the reader refuses the file with a
// message, or the build ends, done or failed, without undefined behaviour,
// and a finished movie's header tells its own length. Relative material
// paths resolve against fuzz/project_build_media, so the seeds' images,
// sounds, vectors, videos and scripts are really read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "compiler/movie_compiler.h"
#include "media/action_compiler.h"
#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"
#include "swf/swf_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace tesmiro;

fs::path gScratch;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "bad build: %s\n", what);
    std::abort();
  }
}

// A finished movie: FWS with its exact length, or CWS with the length it
// had before compression.
void CheckMovie(const fs::path& path) {
  const auto bytes = fileio::ReadAll(path);
  Check(bytes && bytes->size() >= 21, "movie missing or short");
  ByteReader r(*bytes);
  const std::string signature = r.str(3);
  r.skip(1);
  const uint32_t length = r.u32();
  Check(signature == "FWS" || signature == "CWS", "signature");
  if (signature == "FWS") Check(length == bytes->size(), "length field");
  else Check(length >= 21, "length field of a compressed movie");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Outputs go to memory where there is a RAM disk: every build syncs them.
  const fs::path shm = "/dev/shm";
  std::error_code ec;
  const fs::path base = fs::is_directory(shm, ec) ? shm : fs::temp_directory_path();
  gScratch = base / ("tesmiro-project-build-fuzz-" + std::to_string(::getpid()));
  fs::create_directories(gScratch);
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(gScratch, ignored);
  });
  ActionCompiler::InstallBinding();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GUICore::ResetState();
  SWFMakeCore::ResetState();
  ActionCompiler::ResetState();
  AppPaths paths = AppPaths::InFolder(gScratch);
  paths.resources = TESMIRO_FUZZ_RESOURCES;  // the shipped effect templates
  GUICore::State().paths = paths;
  GUICore::NewProject();

  const fs::path media = TESMIRO_FUZZ_MEDIA;
  Result<TSMModule::ProjectData> project = TSMModule::ParseProjectFile(std::span(data, size), media.string());
  if (!project) {
    Check(!project.message().empty(), "refused without a message");
    return 0;
  }
  GUICore::InstallProject(std::move(*project));
  GUICore::State().projectPath = (media / "fuzz.tsm").string();

  const fs::path out = gScratch / "fuzz.swf";
  std::error_code ec;
  fs::remove(out, ec);
  if (GUICore::MakeMovieFile(out, true).result == GUICore::BuildResult::Done) CheckMovie(out);
  return 0;
}
