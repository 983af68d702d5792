#include "compiler/live_picture_build.h"

#include "compiler/left_out.h"
#include "compiler/previews.h"
#include "platform/file_io.h"
#include "project/build_lock.h"
#include "project/live_picture_view.h"
#include "project/model.h"
#include "swf/swf_writer.h"

namespace tesmiro::LivePicture {
namespace {

// The stage stands in for the project's settings for one build, without
// the sound synchronisation; the project's come back however the build ends.
class StageSwap {
 public:
  explicit StageSwap(const ProjectSettings& stage) : kept_(GUICore::State().settings) {
    ProjectSettings swapped = stage;
    swapped.soundSync = 0;
    GUICore::State().settings = swapped;
  }
  ~StageSwap() { GUICore::State().settings = kept_; }
  StageSwap(const StageSwap&) = delete;
  StageSwap& operator=(const StageSwap&) = delete;

 private:
  ProjectSettings kept_;
};

}  // namespace

BuildOutcome BuildLivePicture(const BuildRequest& r) {
  BuildOutcome out;
  out.records = BuildPreviewRecords(r.fields, r.startFilters, r.endFilters, r.operatedImage, r.onlyOperated);
  out.operated = OperatedRecord(out.records, r.operatedImage);
  out.background = (uint32_t{r.stage.backgroundRed} << 16) | (uint32_t{r.stage.backgroundGreen} << 8) |
                   r.stage.backgroundBlue;
  out.timerInterval = TimerInterval(PictureMoves(out.operated, r.withMovie), r.stage.frameRate);
  // The writer is one: a picture written now would land in the running
  // build's movie.
  if (GUICore::BuildInProgress()) {
    out.status = BuildStatus::Busy;
    return out;
  }
  const auto before = fileio::ReadAll(r.path);
  int32_t frame = r.frame;
  if (r.withMovie && r.playing) frame = -frame;
  bool written = false;
  {
    StageSwap swap(r.stage);
    written = GUICore::BuildEventPreviewSWF(out.records.draw, out.records.move, r.path, r.useCache, r.withMovie,
                                            frame);
    if (!written) {
      SWFMakeCore::AbandonMovieFile();
      // A prefix kept from an earlier build may define other materials:
      // the next picture starts from the beginning.
      SWFMakeCore::ClearMovieCache();
    }
  }
  if (!written) {
    out.status = BuildStatus::Failed;
    return out;
  }
  out.leftOut = GUICore::LeftOutLine();
  const auto after = fileio::ReadAll(r.path);
  out.status = before && after && *before == *after ? BuildStatus::Unchanged : BuildStatus::Changed;
  return out;
}

}  // namespace tesmiro::LivePicture
