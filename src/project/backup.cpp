#include "project/backup.h"

#include <ctime>

#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "platform/gcc_quirks.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/paths.h"
#include "project/project_file.h"
#include "project/record_bytes.h"
#include "project/store_item_swap.h"
#include "project/timelines.h"

namespace tesmiro::GUICore {
namespace {

constexpr const char* kRestoreFailedText = "プロジェクトの復元に失敗しました";

std::string NowText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
  return buf;
}

bool RestoreFailed() {
  State().projectPath.clear();
  NewProject();
  ui::Current().messages->status(kRestoreFailedText);
  return false;
}

}  // namespace

std::filesystem::path AutoBackupPath() { return State().paths.state / kAutoBackupFile; }

void WriteAutoBackup(const std::filesystem::path& backupPath, bool skip) {
  std::error_code ec;
  if (skip || !HasUnsavedChanges()) {
    std::filesystem::remove(backupPath, ec);
    return;
  }
  // The build reads the model between its progress lines, and a dialog may
  // have a store item stood in for; the next tick catches up.
  if (BuildInProgress() || StoreItemSwapped()) return;

  Model& m = State();
  const std::string caption = Caption();
  SetCaption(caption + " +");
  SelectTimelineData(m.shownTimeline, false);

  StoreItem info;  // the record's other fields stay zero and empty
  info.name = m.projectPath;
  info.font = NowText();
  // Written as it is encoded, a chunk at a time. A project that cannot be
  // encoded keeps the previous backup, which is older but still loads.
  fileio::ReplacementFile file(backupPath);
  ByteWriter w;
  w.setSink([&file](std::span<const uint8_t> bytes) { return file.write(bytes); }, size_t{1} << 20);
  TESMIRO_GCC12_COPY_WARNINGS_OFF
  w.bytes(TSMModule::kBackupMagic);
  TESMIRO_GCC12_COPY_WARNINGS_ON
  if (WriteStoreItem(w, info) && TSMModule::WriteProjectBody(w, m.settings, m.store, m.timelines, nullptr))
    file.commit();
  SetCaption(caption);
}

bool RestoreAutoBackup(const std::filesystem::path& backupPath) {
  if (!FileExists(backupPath.string())) return false;
  auto bytes = fileio::ReadAllBytes(backupPath);
  if (!bytes) return RestoreFailed();
  ByteReader r(*bytes);
  if (r.str(TSMModule::kBackupMagic.size()) != TSMModule::kBackupMagic) return RestoreFailed();
  StoreItem info = TSMModule::ReadStoreItem(r);
  if (!r.ok()) return RestoreFailed();

  std::string name = info.name.empty() ? std::string("(新規)") : GetFileNamePart(info.name);
  ui::Answer answer = ui::Current().messages->message(
      "Tesmiro", "前回終了時に編集中だったプロジェクト\n [ " + name + " ] (" + info.font + ")\nを復元しますか？",
      ui::Icon::Question, ui::Buttons::YesNo);
  if (answer != ui::Answer::Yes) return RestoreFailed();

  Result<TSMModule::ProjectData> data =
      TSMModule::ReadProjectBody(r, TSMModule::EventLayout::V0A3, GetFolderPart(backupPath.string()));
  if (!data) return RestoreFailed();

  NewProject();
  State().projectPath = info.name;
  SetCaption(info.name.empty() ? std::string(kNewProjectCaption) : "[ " + name + " ] - Tesmiro");
  InstallProject(std::move(*data));
  SetModified(true);
  ui::Current().messages->status("プロジェクトを復元しました：" + GetFileNamePart(info.name));
  return true;
}

}  // namespace tesmiro::GUICore
