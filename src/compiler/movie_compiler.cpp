#include "compiler/movie_compiler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <set>
#include <unordered_map>
#include <span>

#include "compiler/event_compiler.h"
#include "compiler/html_page.h"
#include "compiler/left_out.h"
#include "compiler/materials.h"
#include "media/action_compiler.h"
#include "media/text/text_definitions.h"
#include "platform/file_io.h"
#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/store.h"
#include "project/timelines.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore {
namespace {

namespace W = SWFMakeCore;
namespace fs = std::filesystem;

// Stream starts, stops and skips name their sound without placing it.
bool IsStreamSoundMode(int16_t kind) {
  const auto mode = static_cast<SoundMode>(kind);
  return mode == SoundMode::Streaming || mode == SoundMode::StopStreaming || mode == SoundMode::SkipStreamFrames;
}

constexpr int32_t kPreloaderCharacter = 2 * kPreloaderItemId;
constexpr const char* kPreloaderName = "_PreLoader";

BuildState gBuild;

ui::Services& Ui() { return ui::Current(); }

// Prints one progress line and lets the window run once. Cancel is sticky:
// once pressed, every later test sees it.
bool Progress(const std::string& line, bool testCancel) {
  if (Ui().progress->step(line)) gBuild.cancelBuild = -1;
  return testCancel && gBuild.cancelBuild != 0;
}

// The events of a timeline, the working list standing in for the shown one.
const OneBased<EventRecord>& EventsOf(int32_t timelineIndex) {
  Model& m = State();
  if (timelineIndex == m.shownTimeline) return m.events;
  return m.timelines.at(static_cast<size_t>(timelineIndex)).events;
}

bool ValidTimeline(int32_t index) {
  return index >= 0 && index < static_cast<int32_t>(State().timelines.size());
}

bool IsSprite(int32_t storeIndex) {
  const StoreList& store = State().store;
  return store.valid(storeIndex) && store.at(storeIndex).kind == StoreItemKind::Sprite;
}

// Every event of the project once: the working list, and every timeline but
// the shown one, for which the working list stands.
template <typename Visit>
void ForEachProjectEvent(Visit&& visit) {
  const Model& m = State();
  for (const EventRecord& e : m.events) visit(e);
  for (size_t t = 0; t < m.timelines.size(); ++t) {
    if (static_cast<int32_t>(t) == m.shownTimeline) continue;
    for (const EventRecord& e : m.timelines[t].events) visit(e);
  }
}

int16_t UsageBit(const EventRecord& e) { return e.maskFlag == 1 ? 2 : 1; }

// How the events use every item, gathered in one pass when a build first
// asks (it asks for every vector item); the events stay as they are while
// the build runs, and moving lists between timelines changes no union.
struct UsageTable {
  bool active = false;  // inside a build
  bool ready = false;
  std::unordered_map<int32_t, int16_t> bits;  // item ID -> usage bits
};
UsageTable gUsage;

std::string FourDigits(int32_t id) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", id);
  return buf;
}

// Everything a build changes outside the writer comes back on every path:
// the shown timeline, the file.
class BuildSession {
 public:
  BuildSession() : shown_(State().shownTimeline) {
    // Script includes are looked for beside the project, then in the
    // program's own folder.
    ActionCompiler::ModuleState().settings.projectPath = State().projectPath;
    ActionCompiler::ModuleState().settings.programFolder = State().paths.config;
    // The first font written for a key carries the letters of every text
    // that shares it.
    SWFMakeCore::SetTextCollector(CollectTextsForFont);
    // The lists shown at the end are this build's alone.
    W::ClearDiagnostics();
    ClearLeftOut();
    gBuild.cancelBuild = 0;
    gUsage = UsageTable{};
    gUsage.active = true;
  }
  ~BuildSession() {
    gUsage = UsageTable{};
    W::AbandonMovieFile();
    if (State().shownTimeline != shown_ && ValidTimeline(shown_)) SelectTimelineData(shown_, false);
  }
  BuildSession(const BuildSession&) = delete;
  BuildSession& operator=(const BuildSession&) = delete;

 private:
  int32_t shown_;
};

bool StageFits(const ProjectSettings& s, std::string& why) {
  if (s.width < 1 || s.height < 1 || s.width > 0x7FFFFFF / 20 || s.height > 0x7FFFFFF / 20) {
    why = "ステージサイズ " + std::to_string(s.width) + "×" + std::to_string(s.height) + " はSWFに書けません。";
    return false;
  }
  if (!(s.frameRate >= 0.0f && s.frameRate < 256.0f)) {
    why = "フレームレート " + num::CStr(s.frameRate) + " はSWFに書けません（0 以上 256 未満）。";
    return false;
  }
  return true;
}

// Moves a position by minus the sprite's reference point.
int32_t Offset(int32_t position, int32_t ref) {
  return W::ClampWarn(static_cast<double>(position) - ref, INT32_MIN, INT32_MAX, "位置");
}

bool EmitSprite(const fs::path& outPath, const StoreItem& item, EmitMode mode) {
  if (!ValidTimeline(item.param) || item.param == 0) {
    Ui().messages->message("警告", "スプライト [" + item.name + "] のタイムラインがありません。", ui::Icon::Exclamation);
    return false;
  }
  W::WriteMovieFile(outPath, W::MovieStage::BeginSprite);
  W::WriteSpriteHeader(2 * item.id);
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  const int32_t shown = State().shownTimeline;
  SelectTimelineData(item.param, false);
  const int16_t sync = CompilerState().musicSyncActive;
  // The list is read by index on every turn: compiling reads the working
  // list (labels) but never changes it.
  for (int32_t i = 1; i <= State().events.count(); ++i) {
    CompilerState().musicSyncActive = 0;
    EventRecord e = State().events.at(i);
    if (e.itemId == item.id) {
      Ui().messages->message("エラー",
                             "スプライト [" + item.name + "] (ID:" + FourDigits(item.id) +
                                 ") 内にこのスプライトが配置されています。\r\n"
                                 "無限ループを回避するために、スプライトの配置は無視されます。",
                             ui::Icon::Critical);
      continue;
    }
    e.startX = Offset(e.startX, item.refX);
    e.startY = Offset(e.startY, item.refY);
    if (e.frameCount > 0) {
      e.endX = Offset(e.endX, item.refX);
      e.endY = Offset(e.endY, item.refY);
    }
    CompileEvent(outPath, e, mode, i);
  }
  W::WriteMovieFile(outPath, W::MovieStage::WriteFrames);
  CompilerState().musicSyncActive = sync;
  W::WriteEnd();
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  W::WriteMovieFile(outPath, W::MovieStage::EndSprite);
  SelectTimelineData(shown, false);
  W::WriteExportName(2 * item.id, item.name);
  return true;
}

// Defines the used items of one usage table: materials first, then sprites,
// each in store order. False when the build was cancelled.
bool EmitUsed(const fs::path& outPath, const std::vector<uint8_t>& usage, const std::string& prefix) {
  const int32_t n = State().store.count();
  for (uint8_t wanted : {kUsedMaterial, kUsedSprite}) {
    for (int32_t i = 1; i <= n; ++i) {
      if (usage[static_cast<size_t>(i)] != wanted) continue;
      if (Progress(prefix + std::to_string(i) + "/" + std::to_string(n), true)) return false;
      EmitStoreItem(outPath, State().store.at(i), EmitMode::Movie);
      State().store.at(i).mark = -1;
    }
  }
  return true;
}

// Writes the loading-screen frame; false when there is none.
bool EmitPreloader(const fs::path& outPath, std::vector<uint8_t>& usage, bool& cancelled) {
  const int32_t index = FindStoreIndexByID(kPreloaderItemId);
  if (index == 0 || State().store.at(index).name.empty()) return false;
  Progress("ロード画面処理中", false);
  const StoreItem item = State().store.at(index);
  if (item.kind == StoreItemKind::Sprite && ValidTimeline(item.param) && item.param > 0) {
    MarkUsedItems(EventsOf(item.param), usage, false);
    if (!EmitUsed(outPath, usage, "ロード画面処理中:")) {
      cancelled = true;
      return false;
    }
  }
  EmitStoreItem(outPath, State().store.at(index), EmitMode::Movie);
  State().store.at(index).mark = -1;
  W::Placement p;
  p.characterId = kPreloaderCharacter;
  p.name = kPreloaderName;
  if (CompilerState().leftOut.count(kPreloaderItemId) == 0) W::WritePlaceObject(p);
  W::WriteShowFrame();
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
  return true;
}

// Reads the movie from `in` in pieces and writes it to `out` compressed: the
// header with "C" for "F", then the zlib stream of everything after it, so
// that memory stays the same whatever the movie's size.
Result<void> DeflateMovie(int in, fileio::ReplacementFile& out) {
  constexpr size_t kPiece = 256 * 1024;
  std::vector<uint8_t> input(kPiece), output(kPiece);
  auto readAt = [&](off_t at, size_t n) -> ssize_t {
    for (;;) {
      const ssize_t got = ::pread(in, input.data(), n, at);
      if (got >= 0 || errno != EINTR) return got;
    }
  };
  if (readAt(0, 8) != 8 || input[0] != 'F' || input[1] != 'W' || input[2] != 'S')
    return Failure{"SWFファイルではありません"};
  input[0] = 'C';
  if (!out.write(std::span(input.data(), 8))) return Failure{out.error()};
  z_stream z{};
  if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return Failure{"zlib の圧縮に失敗しました"};
  std::string why;
  off_t at = 8;
  int flush = Z_NO_FLUSH;
  int status = Z_OK;
  while (status == Z_OK) {
    if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
      const ssize_t got = readAt(at, kPiece);
      if (got < 0) {
        why = "読み込めません";
        break;
      }
      at += got;
      z.next_in = input.data();
      z.avail_in = static_cast<uInt>(got);
      if (got == 0) flush = Z_FINISH;
    }
    z.next_out = output.data();
    z.avail_out = static_cast<uInt>(output.size());
    status = deflate(&z, flush);
    if (status == Z_BUF_ERROR) status = Z_OK;  // no progress possible until more input
    if (!out.write(std::span(output.data(), output.size() - z.avail_out))) break;
  }
  deflateEnd(&z);
  if (status == Z_STREAM_END && out.ok()) return {};
  if (why.empty()) why = out.ok() ? "zlib の圧縮に失敗しました" : out.error();
  return Failure{why};
}

void ReportFailure(const fs::path& outPath) {
  Ui().messages->message("エラー", MovieFailureText(outPath), ui::Icon::Critical);
  Ui().messages->status("SWF生成エラー");
}

// Problems the writer met but the movie survived (values out of range).
void ReportWarnings(const std::vector<W::Diagnostic>& diagnostics) {
  if (diagnostics.empty()) return;
  std::vector<std::string> lines;
  for (const W::Diagnostic& d : diagnostics) lines.push_back(d.text);
  Ui().messages->message("警告", ListedLines(lines), ui::Icon::Exclamation);
}

// "ファイル [path] を圧縮できません：why", the file named once however the
// reason came.
std::string CompressionFailureText(const fs::path& path, const std::string& why) {
  const std::string written = fileio::WriteFailureText(path, "");
  const std::string reason = why.rfind(written, 0) == 0 ? why.substr(written.size()) : why;
  return "ファイル [" + path.string() + "] を圧縮できません：" + reason;
}

}  // namespace

BuildState& Build() { return gBuild; }

BuildResult MakeSWF(const fs::path& outPath, bool attachUnusedSprites) {
  BuildLock lock;
  if (!lock.acquired()) return BuildResult::Failed;
  return MakeSWF(outPath, attachUnusedSprites, lock);
}

BuildResult MakeSWF(const fs::path& outPath, bool attachUnusedSprites, const BuildLock&) {
  std::string why;
  if (!StageFits(State().settings, why)) {
    Ui().messages->message("エラー", why, ui::Icon::Critical);
    return BuildResult::Failed;
  }
  BuildSession session;
  Model& m = State();
  std::vector<uint8_t> usage(static_cast<size_t>(m.store.count()) + 1, kUnused);
  for (StoreItem& item : m.store) item.mark = 0;
  CompilerState().leftOut.clear();

  const ProjectSettings& s = m.settings;
  W::WriteSWFHeader(GetSWFVersion(), s.width, s.height, s.frameRate);
  W::WriteSetBackgroundColor(s.backgroundRed, s.backgroundGreen, s.backgroundBlue);
  bool cancelled = false;
  bool preloaderWritten = false;
  if (W::WriteMovieFile(outPath, W::MovieStage::Open)) {
    if (s.preloader == 1) preloaderWritten = EmitPreloader(outPath, usage, cancelled);
    if (!cancelled) {
      MarkUsedItems(m.events, usage, attachUnusedSprites);
      cancelled = !EmitUsed(outPath, usage, "ファイルチェック中:");
    }
    if (!cancelled && s.soundSync == 1) {
      materials::SilentStreamHead(s.frameRate);
      W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
      CompilerState().musicSyncActive = 0;
    }
    // Set only now: the sprites written among the definitions reset it.
    if (preloaderWritten) W::WriterState().framesBefore = 1;
    const int32_t count = m.events.count();
    for (int32_t i = 1; i <= count && !cancelled; ++i) {
      if (Progress("イベント処理中:" + std::to_string(i) + "/" + std::to_string(count), true)) {
        cancelled = true;
        break;
      }
      CompileEvent(outPath, m.events.at(i), EmitMode::Movie, i);
    }
    if (!cancelled && count >= 1) W::WriteMovieFile(outPath, W::MovieStage::WriteFrames);
  }
  ShowWriterMessages();

  if (cancelled) {
    W::AbandonMovieFile();
    Ui().messages->status("SWF生成キャンセル");
    return BuildResult::Cancelled;
  }
  W::WriteEnd();
  W::WriteMovieFile(outPath, preloaderWritten ? W::MovieStage::FinishAfterLoader : W::MovieStage::Finish);
  if (W::MovieFileFailed()) {
    ReportFailure(outPath);
    return BuildResult::Failed;
  }
  ReportWarnings(W::WriterState().diagnostics);
  Ui().messages->status("完了 (" + std::to_string(W::MovieFileSize() / 1024) + "KB)");
  return BuildResult::Done;
}

void EmitStoreItem(const fs::path& outPath, const StoreItem& item, EmitMode mode) {
  if (item.mark == -1) return;
  const size_t before = W::OutputBuffer().size();
  bool ok = true;
  std::string warning;
  // File materials go to their writers with the path resolved; a missing
  // file is left out, and listed once the build has ended.
  StoreItem resolved = item;
  if (IsFileKind(item.kind)) resolved.name = materials::ResolveMaterialPath(item);
  const bool exists = !resolved.name.empty();
  // (A video is defined by each event that shows it.)
  if (!exists && IsFileKind(item.kind) && item.kind != StoreItemKind::Video) NoteLeftOut(MissingFileLine(item.name));
  switch (item.kind) {
    case StoreItemKind::RasterImage:
      ok = exists && materials::DefineRasterImage(resolved, warning);
      break;
    case StoreItemKind::Sound:
      ok = exists && materials::DefineSound(resolved, warning);
      break;
    case StoreItemKind::Text:
      ok = materials::DefineText(outPath, item, mode, warning);
      break;
    case StoreItemKind::Sprite:
      ok = EmitSprite(outPath, item, mode);
      break;
    case StoreItemKind::VectorImage:
      ok = exists && materials::DefineVector(resolved, mode, warning);
      break;
    default:
      break;
  }
  ShowWriterMessages();
  if (!ok) {
    // Whatever a failed definition began stays out of the movie.
    W::OutputBuffer().resize(before);
    if (!warning.empty()) Ui().messages->message("警告", warning, ui::Icon::Exclamation);
    CompilerState().leftOut.insert(item.id);
  }
  W::WriteMovieFile(outPath, W::MovieStage::WriteBuffer);
}

void MarkUsedItems(const OneBased<EventRecord>& events, std::vector<uint8_t>& usage, bool attachUnused) {
  const Model& m = State();
  // Sprites still to walk; an entry becomes 4 before its timeline is walked,
  // so sprites that place each other are walked once.
  std::vector<int32_t> pending;
  auto useSprite = [&](int32_t k) {
    if (usage[static_cast<size_t>(k)] == kUnused) {
      usage[static_cast<size_t>(k)] = kUsedSprite;
      pending.push_back(k);
    }
    usage[static_cast<size_t>(k)] = kUsedSprite;
  };
  auto walk = [&](const OneBased<EventRecord>& list) {
    for (const EventRecord& e : list) {
      const int32_t j = FindStoreIndexByID(e.itemId);
      if (!IsSprite(j)) {
        const bool streamOnly = m.store.valid(j) && m.store.at(j).kind == StoreItemKind::Sound &&
                                IsStreamSoundMode(e.kind);
        if (!streamOnly) usage[static_cast<size_t>(j)] = kUsedMaterial;
        if (e.buttonFlag != 0) {
          for (int32_t state : {e.downItemId, e.overItemId, e.hitItemId}) {
            const int32_t k = FindStoreIndexByID(state);
            if (IsSprite(k)) useSprite(k);
            else usage[static_cast<size_t>(k)] = kUsedMaterial;
          }
        }
      } else {
        useSprite(j);
      }
    }
  };
  auto drain = [&] {
    while (!pending.empty()) {
      const int32_t k = pending.back();
      pending.pop_back();
      const int32_t t = m.store.at(k).param;
      if (ValidTimeline(t)) walk(EventsOf(t));
    }
  };
  walk(events);
  drain();
  if (attachUnused) {
    for (int32_t i = 1; i <= m.store.count(); ++i) {
      if (usage[static_cast<size_t>(i)] == kUnused && IsSprite(i)) useSprite(i);
      drain();
    }
  }
  usage[0] = kUnused;
}

bool EventRefsContain(const EventRecord& event, int32_t itemId) {
  return event.buttonFlag != 0 &&
         (event.downItemId == itemId || event.overItemId == itemId || event.hitItemId == itemId);
}

bool EventUsesItem(const EventRecord& event, int32_t itemId) {
  if (event.itemId != itemId) return false;
  if (IsStreamSoundMode(event.kind)) {
    const StoreList& store = State().store;
    const int32_t at = store.indexOf(itemId);
    return at == 0 || store.at(at).kind != StoreItemKind::Sound;
  }
  return true;
}

int16_t GetStoreItemUsage(const StoreItem& item) {
  if (!gUsage.active) {
    int16_t bits = 0;
    ForEachProjectEvent([&](const EventRecord& e) {
      if (EventRefsContain(e, item.id) || e.itemId == item.id) bits |= UsageBit(e);
    });
    return bits;
  }
  if (!gUsage.ready) {
    ForEachProjectEvent([](const EventRecord& e) {
      const int16_t bit = UsageBit(e);
      gUsage.bits[e.itemId] |= bit;
      if (e.buttonFlag != 0) {
        for (int32_t state : {e.downItemId, e.overItemId, e.hitItemId}) gUsage.bits[state] |= bit;
      }
    });
    gUsage.ready = true;
  }
  const auto it = gUsage.bits.find(item.id);
  return it == gUsage.bits.end() ? 0 : it->second;
}

bool SpriteContainsItem(int32_t itemId, int32_t timelineIndex, bool includeWorkingList) {
  if (itemId < 1 || !ValidTimeline(timelineIndex)) return false;
  const StoreList& store = State().store;
  const int32_t index = store.indexOf(itemId);
  if (index == 0 || store.at(index).mark != 0) return false;
  std::set<int32_t> visited;
  // Depth-first through the sprites placed in the timeline; each timeline is
  // looked at once, so sprites that place each other end the walk.
  std::vector<int32_t> pending{timelineIndex};
  auto test = [&](const OneBased<EventRecord>& list, int32_t owner) {
    for (const EventRecord& e : list) {
      if (EventUsesItem(e, itemId) || EventRefsContain(e, itemId)) return true;
      const int32_t at = store.indexOf(e.itemId);
      if (at == 0) continue;
      const StoreItem& placed = store.at(at);
      if (placed.kind == StoreItemKind::Sprite && placed.id != owner && ValidTimeline(placed.param) &&
          !visited.count(placed.param))
        pending.push_back(placed.param);
    }
    return false;
  };
  if (includeWorkingList && test(State().events, -1)) return true;
  while (!pending.empty()) {
    const int32_t t = pending.back();
    pending.pop_back();
    if (!visited.insert(t).second) continue;
    if (test(EventsOf(t), State().timelines.at(static_cast<size_t>(t)).owner)) return true;
  }
  return false;
}

Result<void> CompressSWF(const fs::path& path) {
  fileio::ReplacementFile out(path);
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  Result<void> packed = in < 0 ? Result<void>(Failure{"読み込めません"}) : DeflateMovie(in, out);
  if (packed && !out.commit()) packed = Failure{out.error()};
  if (in >= 0) ::close(in);
  if (packed) return {};
  const std::string message = CompressionFailureText(path, packed.message());
  Ui().messages->message("エラー", message, ui::Icon::Critical);
  return Failure{message};
}

}  // namespace tesmiro::GUICore

namespace tesmiro::GUICore {

std::string MovieFileResult::compressedLine() const {
  return "圧縮 (" + std::to_string(compressedBytes.value_or(0) / 1024) + "KB)";
}

MovieFileResult MakeMovieFile(const std::filesystem::path& outPath, bool saveHtml) {
  MovieFileResult made;
  if (BuildInProgress()) return made;
  ShowTimeline(0, false);
  // The old movie stays until the new one is compressed: a failure on the
  // way leaves it as it was.
  W::KeepFinishedMovie(true);
  const BuildResult built = MakeSWF(outPath, true);
  // The boxes below let the window run without the build lock: a live
  // picture built inside one starts a list of its own.
  const LeftOutList leftOut = SavedLeftOut();
  W::KeepFinishedMovie(false);
  std::unique_ptr<fileio::ReplacementFile> movie = W::TakeFinishedMovie();
  if (built != BuildResult::Done) {
    made.result = built;
    return made;
  }
  if (!movie) return made;
  const ProjectSettings& s = State().settings;
  std::optional<uintmax_t> compressed;
  if (s.option(1) == 'C') {
    if (GetSWFVersion() == 4) {
      Ui().messages->message("警告", "SWF4ではファイルを圧縮することは出来ません。\r\n圧縮は実施されませんでした。", ui::Icon::Exclamation);
    } else {
      auto packed = std::make_unique<fileio::ReplacementFile>(outPath);
      if (const Result<void> deflated = DeflateMovie(movie->fd(), *packed); !deflated) {
        Ui().messages->message("エラー",
                               CompressionFailureText(outPath, deflated.message()) +
                                   "\r\nSWFファイルは保存されませんでした。",
                               ui::Icon::Critical);
        Ui().messages->status("SWF生成エラー");
        return made;
      }
      movie = std::move(packed);
      struct stat st {};
      compressed = ::fstat(movie->fd(), &st) == 0 ? static_cast<uintmax_t>(st.st_size) : 0;
    }
  }
  if (!movie->commit()) {
    Ui().messages->message("エラー", movie->error(), ui::Icon::Critical);
    Ui().messages->status("SWF生成エラー");
    return made;
  }
  // The movie is there whatever becomes of its page, which says so itself.
  if (saveHtml && !WriteHTMLPage(outPath, s.width, s.height)) Ui().messages->status("HTML生成エラー");
  ReportLeftOut(leftOut);
  return {BuildResult::Done, compressed};
}

}  // namespace tesmiro::GUICore
