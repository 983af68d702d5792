#include "compiler/previews.h"

#include <vector>

#include "compiler/event_compiler.h"
#include "compiler/html_page.h"
#include "compiler/left_out.h"
#include "compiler/preview_reporter.h"
#include "compiler/text_effects.h"
#include "platform/app_paths.h"
#include "platform/file_io.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store.h"
#include "project/timelines.h"
#include "project/window_services.h"
#include "swf/swf_writer.h"

namespace tesmiro::GUICore {
namespace {

namespace W = SWFMakeCore;
namespace fs = std::filesystem;

PreviewOptions gPreviews;
// What the definitions kept in the writer's movie cache left out.
LeftOutList gCachedLeftOut;

// A preview changes the settings and the shown timeline's events for one
// build; this puts them back on every path.
class PreviewGuard {
 public:
  PreviewGuard() : settings_(State().settings), shown_(State().shownTimeline) {}
  ~PreviewGuard() {
    if (filtered_) {
      State().events = std::move(kept_);
      SelectTimelineData(shown_, false);
    }
    State().settings = settings_;
  }
  PreviewGuard(const PreviewGuard&) = delete;
  PreviewGuard& operator=(const PreviewGuard&) = delete;

  // Replaces the shown timeline's events by `events` until the guard ends.
  void filter(OneBased<EventRecord> events) {
    kept_ = State().events;
    filtered_ = true;
    State().events = std::move(events);
    SelectTimelineData(shown_, false);
  }
  const ProjectSettings& original() const { return settings_; }

 private:
  ProjectSettings settings_;
  int32_t shown_;
  OneBased<EventRecord> kept_;
  bool filtered_ = false;
};

// The selected rows' events; a stream started on an earlier unselected row
// is started too and skipped forward to the first selected row.
OneBased<EventRecord> SelectedEventsWithStreams() {
  const auto& rows = EventListModule::Current().rows;
  const auto& events = State().events;
  OneBased<EventRecord> out;
  bool pending = false;
  EventRecord pendingEvent;
  int32_t pendingStart = 0, lastStart = 0;
  for (int32_t i = 1; i <= events.count() && static_cast<size_t>(i - 1) < rows.size(); ++i) {
    const EventListRow& row = rows[static_cast<size_t>(i - 1)];
    if (row.startFrame > 0) lastStart = row.startFrame;
    const EventRecord& e = events.at(i);
    if (row.selected != 0) {
      if (pending && row.startFrame > 0) {
        out.push_back(pendingEvent);
        EventRecord skip = pendingEvent;
        skip.kind = static_cast<int16_t>(SoundMode::SkipStreamFrames);
        skip.text1 = std::to_string(row.startFrame - pendingStart);
        out.push_back(skip);
        pending = false;
      }
      out.push_back(e);
    } else if (gPreviews.previewStreamSound == 1 && GetStoreItemByID(e.itemId).kind == StoreItemKind::Sound) {
      if (e.kind == static_cast<int16_t>(SoundMode::Streaming)) {
        pending = true;
        pendingEvent = e;
        pendingStart = lastStart;
      } else if (e.kind == static_cast<int16_t>(SoundMode::StopStreaming)) {
        pending = false;
      }
    }
  }
  return out;
}

void ClearMarks() {
  for (StoreItem& item : State().store) item.mark = 0;
}

// Defines an event's item for a preview (a sprite's materials first).
void DefineForPreview(const fs::path& path, int32_t itemId) {
  const int32_t index = FindStoreIndexByID(itemId);
  if (index == 0) return;
  const StoreItem item = State().store.at(index);
  if (item.kind == StoreItemKind::Sprite) {
    for (int32_t i = 1; i <= State().store.count(); ++i) {
      StoreItem& other = State().store.at(i);
      if (other.kind != StoreItemKind::Sound && SpriteContainsItem(other.id, item.param, false)) {
        EmitStoreItem(path, other, EmitMode::LivePreview);
        other.mark = -1;
      }
    }
  }
  EmitStoreItem(path, State().store.at(index), EmitMode::LivePreview);
  State().store.at(index).mark = -1;
}

// A movie whose definitions are written anew (a cached one keeps what its
// definitions left out).
void StartMovie(const fs::path& path) {
  CompilerState().leftOut.clear();
  ClearLeftOut();
  const ProjectSettings& s = State().settings;
  W::WriteSWFHeader(GetSWFVersion(), s.width, s.height, s.frameRate);
  W::WriteSetBackgroundColor(s.backgroundRed, s.backgroundGreen, s.backgroundBlue);
  W::WriteMovieFile(path, W::MovieStage::Open);
}

// Movies shown inside the program get the frame reporter; one that cannot
// take it still plays, without frame numbers.
bool FinishMovie(const fs::path& path, ReporterSubject subject = ReporterSubject::MainTimeline) {
  ShowWriterMessages();
  W::WriteMovieFile(path, W::MovieStage::WriteFrames);
  W::WriteEnd();
  if (!W::WriteMovieFile(path, W::MovieStage::Finish)) return false;
  AddFrameReporter(path, subject);
  return true;
}

void WritePlaceholder(int32_t frame) {
  // An empty sprite: its header, no frames, its End tag.
  W::WriteSpriteHeader(kPreviewSpriteCharacter);
  const size_t lengthAt = W::OutputBuffer().size() - 8;
  W::WriteEnd();
  W::PatchTagLength(lengthAt);
  W::Placement p;
  p.characterId = kPreviewSpriteCharacter;
  p.depth = W::kMinDepth;
  p.name = kPreviewSpriteName;
  if (W::GetSWFVersion() < 5) {
    W::WritePlaceObject(p);
    W::WriteDoAction("", "tellTarget(\"/_SprPictPreview\"){loadMovie(\"_preview.swf\",\"\");};", ActionKind::Script);
    return;
  }
  if (frame != 0) {
    const std::string go = frame > 0 ? "this.gotoAndStop(" + std::to_string(frame) + ");"
                                     : "this.gotoAndPlay(" + std::to_string(-static_cast<int64_t>(frame)) + ");";
    p.clipActions =
        "onClipEvent (data) {if (this.getBytesTotal()>0 && this.getBytesLoaded()>=this.getBytesTotal()) {" + go +
        "} else {this.stop();}}";
  }
  W::WritePlaceObject(p);
  W::WriteDoAction("", "_SprPictPreview.loadMovie(\"_preview.swf\");", ActionKind::Script);
}

}  // namespace

PreviewOptions& Previews() { return gPreviews; }

fs::path GetPreviewFolder() {
  const std::string& project = State().projectPath;
  if (!project.empty() && gPreviews.previewFilePath == 1) {
    const fs::path folder = fs::path(project).parent_path();
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return folder;
  }
  return State().paths.scratch;
}

bool PreviewFolderMissing(const fs::path& folder) {
  if (folder != AppPaths::kNoScratch) return false;
  ui::Current().messages->message("エラー", AppPaths::kNoScratchText, ui::Icon::Critical);
  return true;
}

BuildResult RunPreview(PreviewMode mode, const std::string& name) {
  const auto number = static_cast<int32_t>(mode);
  if (BuildInProgress() || number < 1 || number > 6) return BuildResult::Failed;
  ui::Windows().unloadPreviewWindow();
  const fs::path folder = GetPreviewFolder();
  if (PreviewFolderMissing(folder)) return BuildResult::Failed;
  // Held until the preview is shown: the build lets the window run between
  // its steps, and no second preview starts inside this one.
  BuildLock lock;
  if (!lock.acquired()) return BuildResult::Failed;
  PreviewGuard guard;
  const ProjectSettings& s = State().settings;
  std::string unreadable;
  const std::string page = FillHTMLTemplate(LoadHTMLTemplate(&unreadable), s.width, s.height, name) + "\r\n";
  const Result<void> written = fileio::WriteAtomic(folder / kPreviewPage, std::vector<uint8_t>(page.begin(), page.end()));
  if (!written) {
    ui::Current().messages->message("エラー", written.message(), ui::Icon::Critical);
    return BuildResult::Failed;
  }
  if (State().shownTimeline > 0) {
    const StoreItem sprite = GetStoreItemByID(State().timelines[static_cast<size_t>(State().shownTimeline)].owner);
    State().settings.width = sprite.width;
    State().settings.height = sprite.height;
    State().settings.preloader = 0;
  }
  BuildResult result;
  const bool selectedOnly = number >= static_cast<int32_t>(PreviewMode::SelectedInWindow);
  if (!selectedOnly) {
    result = MakeSWF(folder / name, true, lock);
  } else {
    guard.filter(SelectedEventsWithStreams());
    State().settings.preloader = 0;
    result = MakeSWF(folder / name, gPreviews.previewAttachSprite == 1, lock);
  }
  if (result != BuildResult::Done) return result;
  // Told from the build's own list, as after Make SWF.
  const LeftOutList leftOut = SavedLeftOut();
  const auto target = static_cast<PreviewTarget>((number - 1) % 3 + 1);
  // Only the browser shows the page.
  if (target == PreviewTarget::Browser) TellBuiltInPage(unreadable);
  if (target == PreviewTarget::Window) AddFrameReporter(folder / name);
  // The preview window has a line for it; the browser and the player have not.
  else ReportLeftOut(leftOut);
  ui::Windows().showPreview((folder / (target == PreviewTarget::Browser ? kPreviewPage : name)).string(), target,
                            State().settings.width, State().settings.height);
  return result;
}

bool BuildEventPreviewSWF(const EventRecord& a, const EventRecord& b, const fs::path& path, bool useCache,
                          bool placeholder, int32_t frame) {
  if (BuildInProgress()) return false;
  ClearMarks();
  W::ClearDiagnostics();
  if (useCache && W::RestoreMovieCache(true)) {
    RestoreLeftOut(gCachedLeftOut);
    W::WriteMovieFile(path, W::MovieStage::Open);
  } else {
    StartMovie(path);
    if (a.itemId > 0) DefineForPreview(path, a.itemId);
    if (b.itemId > 0 && b.itemId != a.itemId) DefineForPreview(path, b.itemId);
    W::WriteMovieFile(path, W::MovieStage::WriteBuffer);
    W::WriteMovieFile(path, W::MovieStage::CacheMovie);
    gCachedLeftOut = SavedLeftOut();
  }
  if (a.itemId > 0) CompileEvent(path, a, EmitMode::LivePreview, 0);
  if (b.itemId > 0) CompileEvent(path, b, EmitMode::LivePreview, 0);
  if (placeholder) WritePlaceholder(frame);
  W::NextFrame();
  // With the whole movie underneath, its frame is the one the dialog shows.
  return FinishMovie(path, placeholder ? ReporterSubject::PreviewSprite : ReporterSubject::MainTimeline);
}

bool BuildSingleEventPreviewSWF(const EventRecord& event, const std::string& name) {
  if (BuildInProgress()) return false;
  const fs::path path = State().paths.scratch / name;
  ClearMarks();
  W::ClearDiagnostics();
  StartMovie(path);
  DefineForPreview(path, event.itemId);
  W::WriteMovieFile(path, W::MovieStage::WriteBuffer);
  CompileEvent(path, event, EmitMode::EventPreview, 0);
  return FinishMovie(path);
}

std::string PreviewWriteFailureText(const fs::path& path) {
  std::string text = MovieFailureText(path);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace tesmiro::GUICore

namespace tesmiro::GUICore {

bool BuildTextEffectPreviewSWF(const StoreItem& item, int32_t frames, const fs::path& path) {
  if (BuildInProgress()) return false;
  ClearMarks();
  W::ClearDiagnostics();
  CompilerState().leftOut.clear();
  ClearLeftOut();
  const ProjectSettings& s = State().settings;
  W::WriteSWFHeader(GetSWFVersion(), s.width, s.height, s.frameRate);
  W::WriteSetBackgroundColor(255, 255, 255);
  W::WriteMovieFile(path, W::MovieStage::Open);
  if (item.kind == StoreItemKind::Text && (item.flags & 0x2000) != 0) {
    EmitStoreItem(path, item, EmitMode::LivePreview);
    W::WriteMovieFile(path, W::MovieStage::WriteBuffer);
  }
  EventRecord e = InitEventRecord();
  e.itemId = 2 * item.id;
  e.frameCount = frames;
  e.startX = e.endX = s.width / 2;
  e.startY = e.endY = s.height / 2;
  e.centerY = item.height / 2;
  switch (item.flags & 12) {
    case 0: e.centerX = item.width / 2; break;
    case 4: e.centerX = -(item.width / 2); break;
    default: e.centerX = 0; break;
  }
  CompileEvent(path, e, EmitMode::EventPreview, -4);
  return FinishMovie(path);
}

}  // namespace tesmiro::GUICore
