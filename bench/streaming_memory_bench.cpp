// Peak memory of the two writers that handle whole files: compressing a
// 35 MB movie, and saving a project of 9,999 items and 200,000 events
// (about 145 MB). One job per run, so that each figure is a process's own:
//   streaming_memory_bench compress|save
// The figure is the peak resident memory above what the process held when
// the job began (the input made, the kernel's peak mark reset); run it
// under /usr/bin/time -v for the whole process's peak as well.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compiler/movie_compiler.h"
#include "platform/app_paths.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

constexpr int64_t kMovieBytes = 35'000'000;
constexpr int32_t kEvents = 200'000;

// A field of /proc/self/status, in kilobytes.
int64_t StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::strlen(field)));
  return -1;
}

// Starts a fresh peak: the kernel's high-water mark drops to what is
// resident now.
int64_t ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusKb("VmRSS:");
}

void Report(const char* job, int64_t startKb, double seconds, uint64_t fileBytes) {
  const int64_t peakKb = StatusKb("VmHWM:");
  std::printf("%s: file %.1f MB, %.2f s, peak %.1f MB above the %.1f MB held before\n", job, fileBytes / 1e6,
              seconds, (peakKb - startKb) / 1024.0, startKb / 1024.0);
}

// An uncompressed movie: the header, then frames of placement-like tags.
void WriteMovie(const fs::path& path) {
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(kMovieBytes));
  const uint8_t header[21] = {'F', 'W', 'S', 8, 0, 0, 0, 0, 0x80, 0, 0, 0xC8, 0, 0, 0, 0xC8, 0, 0, 12, 0, 0};
  bytes.insert(bytes.end(), header, header + sizeof header);
  uint32_t x = 1;
  while (bytes.size() < static_cast<size_t>(kMovieBytes) - 2) {
    x = x * 1103515245u + 12345u;
    const uint8_t tag[] = {0x8D, 0x06, 0x01, static_cast<uint8_t>(x >> 24), 0x00, 0x05,
                           static_cast<uint8_t>(x >> 16), static_cast<uint8_t>(x >> 8), 0x40, 0x00};
    bytes.insert(bytes.end(), tag, tag + sizeof tag);
  }
  bytes.push_back(0);
  bytes.push_back(0);
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(bytes.size() >> (8 * i));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

void BuildProject(const fs::path& folder) {
  GUICore::State().paths = AppPaths::InFolder(folder);
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  for (int32_t i = 1; i <= kMaxStoreItems; ++i) {
    StoreItem it = NewStoreItem(StoreItemKind::Text);
    it.id = i;
    it.name = "テキスト表示 " + std::to_string(i);
    m.store.push_back(it);
  }
  for (int32_t j = 0; j < kEvents; ++j) {
    EventRecord e;
    e.itemId = 1 + j % kMaxStoreItems;
    e.text1 = "ラベル";
    e.anchors.resize(4);
    m.events.push_back(e);
  }
  // The working list committed beforehand, as after any earlier save, so
  // that the figure is the save's own.
  m.timelines[0].events = m.events;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string job = argc > 1 ? argv[1] : "";
  if (job != "compress" && job != "save") {
    std::fprintf(stderr, "usage: %s compress|save\n", argv[0]);
    return 2;
  }
  const fs::path folder = fs::temp_directory_path() / ("tesmiro-memory-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::path file;
  const auto timed = [](auto&& run) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = run().ok();
    return std::pair{ok, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
  };
  bool ok = false;
  if (job == "compress") {
    file = folder / "movie.swf";
    WriteMovie(file);
    const uint64_t plain = fs::file_size(file);
    const int64_t start = ResetPeak();
    const auto [done, seconds] = timed([&] { return GUICore::CompressSWF(file); });
    ok = done;
    Report("compress", start, seconds, plain);
  } else {
    BuildProject(folder);
    file = folder / "large.tsm";
    const int64_t start = ResetPeak();
    const auto [done, seconds] = timed([&] { return GUICore::SaveProject(file.string()); });
    ok = done;
    Report("save", start, seconds, fs::file_size(file));
  }
  fs::remove_all(folder);
  return ok ? 0 : 1;
}
