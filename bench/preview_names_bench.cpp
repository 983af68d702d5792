// The files of a movie's folder that a player view or the browser preview
// serves are found when the preview starts, on the window's thread: the
// names of a movie whose frame script has 20,000 and 100,000 distinct
// strings, looked for in its folder, beside the same strings each looked
// up in the file system. Every run sees the movie as just rebuilt, so
// nothing found before is used again.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/compiler.h"
#include "ui/player/preview_files.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
  static const fs::path folder = fs::temp_directory_path() / "tesmiro-preview-names-bench";
  return folder;
}

void Append(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Loads two files, one of them without an extension, then traces `count`
// distinct texts; a movie of one frame on an empty stage.
fs::path WriteMovie(int count) {
  std::string source = "loadMovie(\"clips/a.swf\", 1);\nloadVariables(\"data\", \"_root\");\n";
  for (int i = 0; i < count; ++i) source += "trace(\"note " + std::to_string(i) + "\");\n";
  const tesmiro::script::CompileResult script = tesmiro::script::Compile(source, tesmiro::script::Target::Swf6);
  if (!script.ok()) {
    std::fprintf(stderr, "the script does not compile: %s\n", script.error->message.c_str());
    std::exit(1);
  }
  std::vector<uint8_t> movie = {'F', 'W', 'S', 6, 0, 0, 0, 0, 0x00, 0x00, 12};
  Append(movie, 1, 2);
  Append(movie, 12 << 6 | 63, 2);
  Append(movie, static_cast<uint32_t>(script.actions.size() + 1), 4);
  movie.insert(movie.end(), script.actions.begin(), script.actions.end());
  movie.push_back(0);
  Append(movie, 1 << 6, 2);
  Append(movie, 0, 2);
  for (int i = 0; i < 4; ++i) movie[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(movie.size() >> (8 * i));
  const fs::path path = Folder() / ("notes" + std::to_string(count) + ".swf");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(movie.data()), static_cast<std::streamsize>(movie.size()));
  return path;
}

void BM_NamesOfAMovie(benchmark::State& state) {
  const fs::path movie = WriteMovie(static_cast<int>(state.range(0)));
  const QString path = QString::fromStdString(movie.string());
  fs::file_time_type stamp = fs::last_write_time(movie);
  qsizetype served = 0;
  for (auto _ : state) {
    state.PauseTiming();
    stamp += std::chrono::seconds(1);
    fs::last_write_time(movie, stamp);
    state.ResumeTiming();
    served = tesmiro::player::PreviewPageFiles(path).size();
  }
  // The movie, clips/a.swf and data.
  state.counters["served"] = static_cast<double>(served);
}
BENCHMARK(BM_NamesOfAMovie)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The reference: the same strings, each looked for in the folder itself
// (one lookup in the file system per string), as the previews did before
// they read the folder once.
void BM_EveryStringLookedForInTheFolder(benchmark::State& state) {
  const fs::path movie = WriteMovie(static_cast<int>(state.range(0)));
  const QString root = QString::fromStdString(Folder().string());
  qsizetype served = 0;
  for (auto _ : state) {
    QFile file(QString::fromStdString(movie.string()));
    file.open(QIODevice::ReadOnly);
    served = 1;
    for (const QByteArray& name : tesmiro::player::MovieFileNames(file.readAll())) {
      const QString real = QFileInfo(QDir(root).filePath(QString::fromUtf8(name))).canonicalFilePath();
      if (real.startsWith(root + QLatin1Char('/')) && QFileInfo(real).isFile()) ++served;
    }
  }
  state.counters["served"] = static_cast<double>(served);
}
BENCHMARK(BM_EveryStringLookedForInTheFolder)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  fs::remove_all(Folder());
  fs::create_directories(Folder() / "clips");
  std::ofstream(Folder() / "clips/a.swf") << "a";
  std::ofstream(Folder() / "data") << "b=1";
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(Folder());
  return 0;
}
