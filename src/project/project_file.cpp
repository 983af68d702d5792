#include "project/project_file.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/gcc_quirks.h"
#include "platform/ui.h"
#include "project/backup.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/recent_files.h"
#include "project/record_bytes.h"
#include "project/store.h"
#include "project/timelines.h"

namespace tesmiro::TSMModule {
namespace {

// Depths outside this range have no slot in the movie's depth table.
constexpr int32_t kMinDepth = -256;
constexpr int32_t kMaxDepth = 256;

uint64_t gProjectFileLimit = kMaxProjectFileBytes;

std::string Detail(const std::string& what) { return std::string(kInvalidFileText) + "(" + what + ")"; }

bool ReadAnchors(ByteReader& r, EventRecord& e) {
  int16_t dims = r.i16();
  int32_t count = r.i32();
  int32_t lower = r.i32();
  // Anchors are always written as one dimension from 0; 8 bytes each.
  if (!r.ok() || dims != 1 || lower != 0 || count < 0 || static_cast<uint64_t>(count) * 8 > r.remaining()) {
    r.fail();
    return false;
  }
  e.anchors.resize(static_cast<size_t>(count));
  for (GuideAnchor& a : e.anchors) {
    a.x = r.i32();
    a.y = r.i32();
  }
  return r.ok();
}

FilterParams ReadFilterParams(ByteReader& r) {
  FilterParams p;
  p.color1 = r.i32();
  p.color2 = r.i32();
  p.blurX = r.f32();
  p.blurY = r.f32();
  p.angle = r.f32();
  p.distance = r.f32();
  p.strength = r.f32();
  p.quality = r.i32();
  p.hideObject = r.i16();
  p.knockout = r.i16();
  p.mode = r.i32();
  return p;
}

// What an older file leaves out of the filter blocks: nothing in use, and
// every field zero (multipliers included), as those files never held them.
FilterState ZeroFilterState() {
  FilterState f;
  f.multiply = {0.0f, 0.0f, 0.0f, 0.0f};
  return f;
}

// Room for the records of a large project is memory fresh from the system,
// each of whose small pages would cost a fault on first touch.
template <class T>
void ReserveRecords(std::vector<T>& records, size_t n) {
  records.reserve(n);
  fileio::PreferHugePages(records.data(), records.capacity() * sizeof(T));
}

size_t MinEventBytes(EventLayout layout) {
  switch (layout) {
    case EventLayout::V0A3: return kMinEventBytes0A3;
    case EventLayout::V0A1: return kMinEventBytes0A1;
    case EventLayout::V091: return kMinEventBytes091;
  }
  return kMinEventBytes0A3;
}

// The layout the magic and version announce, or the message for anything else.
Result<EventLayout> ReadHeader(ByteReader& r) {
  std::string magic = r.str(3);
  std::string version = r.str(3);
  if (!r.ok() || magic != kMagic) return Failure{kInvalidFileText};
  if (version == "0A3") return EventLayout::V0A3;
  if (version == "0A1") return EventLayout::V0A1;
  if (version == "091") return EventLayout::V091;
  // Each byte stands for one character; a byte that is not text shows as U+FFFD.
  std::string ver = enc::Cp932ToUtf8(std::string(1, version[0])) + "." + enc::Cp932ToUtf8(std::string(1, version[1])) +
                    "a" + enc::Cp932ToUtf8(std::string(1, version[2]));
  return Failure{"はこのバージョンのTesmiroでは開けません。(Ver" + ver + ")"};
}

// The reader's reason without the file's name, which the caller puts in
// front as it names the file itself.
template <class T>
Failure ReaderReason(const Result<T>& read, const std::filesystem::path& path) {
  const std::string named = "ファイル [" + path.string() + "] ";
  const std::string& message = read.message();
  return Failure{message.starts_with(named) ? message.substr(named.size()) : message};
}

}  // namespace

uint64_t ProjectFileLimit() { return gProjectFileLimit; }

ScopedProjectFileLimit::ScopedProjectFileLimit(uint64_t bytes) : ScopedValue(gProjectFileLimit, bytes) {}

Result<void> CheckProjectFile(const std::filesystem::path& path) {
  if (const auto opened = fileio::ReadHead(path, 0); !opened) return ReaderReason(opened, path);
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) > ProjectFileLimit() && !ec) return Failure{"が大きすぎます"};
  return {};
}

Result<ProjectData> LoadProjectFile(const std::filesystem::path& path) {
  // The header decides before the file is read: a file of another kind or
  // version, however large, costs six bytes. Anything but a regular file
  // (a FIFO would wait for a writer for good) is refused at once.
  const auto head = fileio::ReadHead(path, 6);
  if (!head) return ReaderReason(head, path);
  if (head->size() < 6) return Failure{kInvalidFileText};
  ByteReader r(*head);
  if (const Result<EventLayout> layout = ReadHeader(r); !layout) return Failure{layout.message()};
  auto bytes = fileio::ReadAllBytes(path, ProjectFileLimit());
  if (!bytes) return ReaderReason(bytes, path);
  return ParseProjectFile(*bytes, GUICore::GetFolderPart(path.string()));
}

Result<ProjectData> ParseProjectFile(std::span<const uint8_t> bytes, std::string_view projectFolder) {
  ByteReader r(bytes);
  const Result<EventLayout> layout = ReadHeader(r);
  if (!layout) return Failure{layout.message()};
  return ReadProjectBody(r, *layout, projectFolder);
}

Result<ProjectData> ReadProjectBody(ByteReader& r, EventLayout layout, std::string_view projectFolder) {
  const Failure invalid{kInvalidFileText};
  ProjectData data;
  data.settings = ReadSettings(r);

  int32_t n = r.i32();
  if (!r.ok() || n < 0 || n > kMaxStoreItems) return invalid;
  if (static_cast<uint64_t>(n) * kMinStoreItemBytes > r.remaining()) return invalid;
  ReserveRecords(data.store.items(), static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) {
    StoreItem item = ReadStoreItem(r);
    if (!r.ok()) return invalid;
    if (IsFileKind(item.kind)) item.name = PathModule::ResolveRelativePath(item.name, projectFolder);
    data.store.push_back(std::move(item));
  }

  int32_t upper = r.i32();
  // Every timeline but the main one belongs to a sprite item, so there are
  // at most as many; each needs at least its owner and its event count.
  if (!r.ok() || upper < 0 || upper > kMaxStoreItems || (static_cast<uint64_t>(upper) + 1) * 8 > r.remaining())
    return invalid;
  data.timelines.assign(static_cast<size_t>(upper) + 1, Timeline{});
  const size_t minEvent = MinEventBytes(layout);
  for (Timeline& t : data.timelines) {
    t.owner = r.i32();
    int32_t count = r.i32();
    if (!r.ok() || count < 0 || static_cast<uint64_t>(count) * minEvent > r.remaining()) return invalid;
    ReserveRecords(t.events.items(), static_cast<size_t>(count));
    for (int32_t j = 1; j <= count; ++j) {
      EventRecord e = ReadEvent(r, layout);
      if (!r.ok()) return invalid;
      t.events.push_back(std::move(e));
    }
  }
  if (!r.ok() || r.pos() != r.size()) return invalid;
  std::string message = kInvalidFileText;
  if (!ValidateProject(data, message)) return Failure{message};
  return data;
}

std::string ReadString(ByteReader& r) {
  uint16_t n = r.u16();
  std::string raw = r.str(n);
  return r.ok() ? enc::Cp932ToUtf8(raw) : std::string();
}

ProjectSettings ReadSettings(ByteReader& r) {
  ProjectSettings s;
  s.width = r.i32();
  s.height = r.i32();
  s.frameRate = r.f32();
  s.backgroundRed = r.u8();
  s.backgroundGreen = r.u8();
  s.backgroundBlue = r.u8();
  s.options = ReadString(r);
  s.soundSync = r.i16();
  s.preloader = r.i16();
  s.forceJpegRecompression = r.i16();
  s.jpegQuality = r.i32();
  return s;
}

StoreItem ReadStoreItem(ByteReader& r) {
  StoreItem it;
  it.id = r.i32();
  it.kind = static_cast<StoreItemKind>(r.i16());
  it.name = ReadString(r);
  it.flags = r.i16();
  it.param = r.i32();
  it.font = ReadString(r);
  it.size = r.f32();
  it.lineSpacing = r.f32();
  it.option = ReadString(r);
  it.width = r.i32();
  it.height = r.i32();
  it.refX = r.i32();
  it.refY = r.i32();
  it.mark = r.i16();
  return it;
}

FilterState ReadFilterState(ByteReader& r) {
  FilterState f;
  f.inUse = r.i16();
  f.colorTransform = r.i16();
  for (float& m : f.multiply) m = r.f32();
  for (int32_t& a : f.add) a = r.i32();
  f.dropShadow = r.i16();
  f.dropShadowParams = ReadFilterParams(r);
  f.blur = r.i16();
  f.blurParams = ReadFilterParams(r);
  f.glow = r.i16();
  f.glowParams = ReadFilterParams(r);
  f.bevel = r.i16();
  f.bevelParams = ReadFilterParams(r);
  f.colorMatrix = r.i16();
  for (float& m : f.matrix) m = r.f32();
  return f;
}

EventRecord ReadEvent(ByteReader& r, EventLayout layout) {
  EventRecord e;
  e.itemId = r.i32();
  e.frameCount = r.i32();
  e.startX = r.i32();
  e.startY = r.i32();
  e.endX = r.i32();
  e.endY = r.i32();
  e.centerX = r.i32();
  e.centerY = r.i32();
  e.startScaleX = r.f32();
  e.endScaleX = r.f32();
  e.startScaleY = r.f32();
  e.endScaleY = r.f32();
  e.startAngle = r.f32();
  e.endAngle = r.f32();
  e.buttonFlag = r.i16();
  e.kind = r.i16();
  e.text1 = ReadString(r);
  e.text2 = ReadString(r);
  e.downItemId = r.i32();
  e.overItemId = r.i32();
  e.hitItemId = r.i32();
  e.startBrightness = r.i16();
  e.endBrightness = r.i16();
  e.startAlpha = r.i16();
  e.endAlpha = r.i16();
  e.easing = r.i32();
  e.maskFlag = r.i16();
  e.maskDepth = r.i32();
  e.depth = r.i32();
  e.guideMode = 0;
  e.anchors.assign(1, GuideAnchor{});
  if (layout == EventLayout::V091) {
    e.startFilters = ZeroFilterState();
    e.endFilters = ZeroFilterState();
    e.blendMode = 0;
    return e;
  }
  e.startFilters = ReadFilterState(r);
  e.endFilters = ReadFilterState(r);
  e.blendMode = r.i32();
  if (layout == EventLayout::V0A1) return e;
  e.guideMode = r.i16();
  ReadAnchors(r, e);
  return e;
}

// What the rest of the program relies on, checked once here:
// - item IDs are unique, from 1 to 9999 (two SWF characters each, below
//   the writer's automatic IDs), folders' negative; refused otherwise;
// - folder subtrees nest: a subtree that runs past the list or past its
//   parent's subtree is cut back to fit;
// - each sprite item owns its own timeline: a link to a missing timeline or
//   to one that another sprite owns is relinked to the timeline its ID
//   owns, or to a new empty one;
// - depths and mask depths lie in -256..256 (clamped).
bool ValidateProject(ProjectData& data, std::string& message) {
  std::set<int32_t> ids;
  for (const StoreItem& it : data.store) {
    if (it.isFolder() ? it.id >= 0 : it.id < 1 || it.id > kMaxStoreItemId) {
      message = Detail("素材ID " + std::to_string(it.id) + " は使えません");
      return false;
    }
    if (!ids.insert(it.id).second) {
      message = Detail("素材ID " + std::to_string(it.id) + " が重複しています");
      return false;
    }
  }

  std::vector<int32_t> ends;  // last index of each enclosing folder
  const int32_t n = data.store.count();
  for (int32_t i = 1; i <= n; ++i) {
    while (!ends.empty() && ends.back() < i) ends.pop_back();
    StoreItem& it = data.store.at(i);
    if (!it.isFolder()) continue;
    int32_t limit = ends.empty() ? n : ends.back();
    int32_t param = std::clamp(it.param, 0, limit - i);
    it.param = param;
    ends.push_back(i + param);
  }

  const int32_t upper = static_cast<int32_t>(data.timelines.size()) - 1;
  std::map<int32_t, int32_t> ownedTimeline;  // sprite ID -> highest timeline it owns
  for (int32_t t = 1; t <= upper; ++t) ownedTimeline[data.timelines[static_cast<size_t>(t)].owner] = t;
  std::set<int32_t> taken;
  for (StoreItem& it : data.store) {
    if (it.kind != StoreItemKind::Sprite) continue;
    int32_t t = it.param;
    bool good = t >= 1 && t <= upper && data.timelines[static_cast<size_t>(t)].owner == it.id && !taken.count(t);
    if (!good) {
      auto owned = ownedTimeline.find(it.id);
      if (owned != ownedTimeline.end() && !taken.count(owned->second)) {
        t = owned->second;
      } else {
        Timeline fresh;
        fresh.owner = it.id;
        data.timelines.push_back(std::move(fresh));
        t = static_cast<int32_t>(data.timelines.size()) - 1;
      }
      it.param = t;
    }
    taken.insert(t);
  }

  data.timelines[0].owner = 0;
  for (Timeline& t : data.timelines)
    for (EventRecord& e : t.events) {
      e.depth = std::clamp(e.depth, kMinDepth, kMaxDepth);
      e.maskDepth = std::clamp(e.maskDepth, kMinDepth, kMaxDepth);
    }
  return true;
}

// ---- Writing -------------------------------------------------------------

Result<void> WriteProjectBody(ByteWriter& w, const ProjectSettings& settings, const OneBased<StoreItem>& store,
                              const std::vector<Timeline>& timelines, const std::string* relativeTo) {
  if (auto written = WriteProjectSettings(w, settings); !written)
    return Failure{"プロジェクトの設定：" + written.message()};
  const bool relative = relativeTo != nullptr && settings.option(4) == 'R';
  const std::string folder = relative ? GUICore::GetFolderPart(*relativeTo) : std::string();
  w.i32(store.count());
  for (const StoreItem& it : store) {
    // Relative to the folder rather than the file: the file is only created
    // when the whole project has been written.
    Result<void> written;
    if (relative && IsFileKind(it.kind)) {
      StoreItem stored = it;
      stored.name = PathModule::MakeRelativePath(folder, it.name);
      written = WriteStoreItem(w, stored);
    } else {
      written = WriteStoreItem(w, it);
    }
    if (!written) return Failure{"素材 (ID " + std::to_string(it.id) + ")：" + written.message()};
    if (!w.drain()) return Failure{};
  }
  w.i32(static_cast<int32_t>(timelines.size()) - 1);
  for (size_t t = 0; t < timelines.size(); ++t) {
    w.i32(timelines[t].owner);
    w.i32(timelines[t].events.count());
    int32_t j = 0;
    for (const EventRecord& e : timelines[t].events) {
      ++j;
      if (auto written = WriteEventRecord(w, e); !written) {
        std::string where = t == 0 ? std::string("メイン") : "スプライト (ID " + std::to_string(timelines[t].owner) + ")";
        return Failure{where + "のイベント " + std::to_string(j) + "：" + written.message()};
      }
      if (!w.drain()) return Failure{};
    }
  }
  // A sink that failed has its own message; the caller asks it.
  if (!w.drain(true)) return Failure{};
  return {};
}

ByteWriter::Sink ProjectFileSink(fileio::ReplacementFile& file) {
  return [&file, written = uint64_t{0}](std::span<const uint8_t> bytes) mutable {
    // Counted as written, so a project too large to open is refused as soon
    // as it passes the limit rather than encoded whole first.
    if (written + bytes.size() > ProjectFileLimit()) {
      file.fail(EFBIG);
      return false;
    }
    written += bytes.size();
    return file.write(bytes);
  };
}

Result<std::vector<uint8_t>> EmptyProjectBytes(const ProjectSettings& settings) {
  ByteWriter w;
  TESMIRO_GCC12_COPY_WARNINGS_OFF
  w.bytes(kMagic);
  TESMIRO_GCC12_COPY_WARNINGS_ON
  w.bytes(kCurrentVersion);
  if (auto written = WriteProjectSettings(w, settings); !written)
    return Failure{"プロジェクトの設定：" + written.message()};
  for (int i = 0; i < 4; ++i) w.i32(0);
  return std::move(w.data());
}

Result<std::vector<uint8_t>> ProjectFileBytes(const std::string& path) {
  const GUICore::Model& m = GUICore::State();
  ByteWriter w;
  // Room for the fixed parts up front: the writer appends byte by byte.
  size_t estimate = 64 + static_cast<size_t>(m.store.count()) * (kMinStoreItemBytes + 32);
  for (const Timeline& t : m.timelines) estimate += 8 + static_cast<size_t>(t.events.count()) * (kMinEventBytes0A3 + 32);
  w.data().reserve(estimate);
  TESMIRO_GCC12_COPY_WARNINGS_OFF
  w.bytes(kMagic);
  TESMIRO_GCC12_COPY_WARNINGS_ON
  w.bytes(kCurrentVersion);
  if (Result<void> body = WriteProjectBody(w, m.settings, m.store, m.timelines, &path); !body) return Failure{body.message()};
  return std::move(w.data());
}

}  // namespace tesmiro::TSMModule

namespace tesmiro::GUICore {
namespace {

constexpr size_t kSaveChunkBytes = size_t{1} << 20;

}  // namespace

bool CanOpenProjectFile(const std::string& path) {
  const Result<void> readable = TSMModule::CheckProjectFile(path);
  if (!readable) {
    ui::Current().messages->message("ファイルオープンエラー", "ファイル [" + GetFileNamePart(path) + "] " + readable.message(),
                                    ui::Icon::Critical);
  }
  return readable.ok();
}

bool OpenProject(const std::string& givenPath) {
  if (BuildInProgress()) return false;  // the build reads the model meanwhile
  // Materials and script includes are found relative to the project's
  // folder long after the working folder may have changed.
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(givenPath, ec);
  const std::string path = ec ? givenPath : absolute.lexically_normal().string();
  // A file that cannot be read at all leaves the open project as it is.
  if (!CanOpenProjectFile(path)) return false;
  NewProject();
  Model& m = State();
  m.projectPath = path;
  SetCaption("[ " + GetFileNamePart(path) + " ] - Tesmiro");
  Result<TSMModule::ProjectData> data = TSMModule::LoadProjectFile(path);
  if (!data) {
    ui::Current().messages->message("ファイルオープンエラー", "ファイル [" + GetFileNamePart(path) + "] " + data.message(),
                                    ui::Icon::Critical);
    m.projectPath.clear();
    NewProject();
    return false;
  }
  InstallProject(std::move(*data));
  SetModified(false);
  AddRecentFile(path);
  return true;
}

void InstallProject(TSMModule::ProjectData&& data) {
  Model& m = State();
  m.settings = std::move(data.settings);
  m.store = std::move(data.store);
  m.timelines = std::move(data.timelines);
  for (Timeline& t : m.timelines) t.key = NewTimelineKey();
  m.shownTimeline = 0;
  RefreshFileList();
  // The shown timeline's events are the working list, moved rather than
  // copied: ShowTimeline moves them back into the timeline and out again.
  m.events = std::move(m.timelines[0].events);
  m.timelines[0].events.clear();
  ShowTimeline(0, false);
  EventListModule::LoadRows();
}

bool LoadProjectHeader(const std::filesystem::path& path) {
  if (!FileExists(path.string())) return false;
  const Result<TSMModule::ProjectData> data = TSMModule::LoadProjectFile(path);
  if (!data) return false;
  State().settings = data->settings;
  return true;
}

Result<void> SaveProject(const std::string& path) {
  Model& m = State();
  SelectTimelineData(m.shownTimeline, false);
  // The bytes go to the file as they are made, a chunk at a time, so a large
  // project is never held twice.
  fileio::ReplacementFile file(path);
  ByteWriter w;
  w.setSink(TSMModule::ProjectFileSink(file), kSaveChunkBytes);
  TESMIRO_GCC12_COPY_WARNINGS_OFF
  w.bytes(TSMModule::kMagic);
  TESMIRO_GCC12_COPY_WARNINGS_ON
  w.bytes(TSMModule::kCurrentVersion);
  const Result<void> encoded = TSMModule::WriteProjectBody(w, m.settings, m.store, m.timelines, &path);
  if (encoded && file.commit()) {
    ui::Current().messages->status("プロジェクトを保存しました：" + GetFileNamePart(path));
    SetModified(false);
    WriteAutoBackup(AutoBackupPath(), true);
    return {};
  }
  // A failed write leaves the old file, the unsaved mark and the backup.
  const std::string message =
      !file.ok() ? file.error() : "プロジェクトを保存できませんでした。\n" + encoded.message();
  ui::Current().messages->message("エラー", message, ui::Icon::Critical);
  return Failure{message};
}

Result<void> WriteEmptyProject(const std::filesystem::path& path) {
  const Result<std::vector<uint8_t>> bytes = TSMModule::EmptyProjectBytes(State().settings);
  Result<void> written = bytes ? fileio::WriteAtomic(path, *bytes) : Result<void>(Failure{bytes.message()});
  if (!written) ui::Current().messages->message("エラー", written.message(), ui::Icon::Critical);
  return written;
}

}  // namespace tesmiro::GUICore
