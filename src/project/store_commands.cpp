#include "project/store_commands.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "platform/file_io.h"
#include "platform/result.h"
#include "platform/ui.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/store.h"
#include "project/store_undo.h"
#include "project/timelines.h"
#include "project/undo_scopes.h"

namespace tesmiro::StoreCommands {
namespace {

namespace fs = std::filesystem;
using GUICore::State;

bool HasRows() { return FileListModule::RowCount() > 0; }

bool AnySelected() {
  const auto& rows = FileListModule::Current().rows;
  return std::any_of(rows.begin(), rows.end(), [](const FileListRow& r) { return r.selected != 0; });
}

// The store item a row shows (rows keep the item's position).
const StoreItem* ItemOfRow(const FileListRow& row) {
  const auto& store = State().store;
  if (store.valid(row.index) && store.at(row.index).id == row.id) return &store.at(row.index);
  int32_t p = GUICore::FindStoreIndexByID(row.id);
  return p ? &store.at(p) : nullptr;
}

void ShowCursorItem() {
  GUICore::ShowItemInfo(FileListModule::GetJpegListID(FileListModule::Current().cursorRow));
}

// A warning lists this many of the lines it has, and how many more there are.
constexpr size_t kListedLines = 20;

// The plain files of a folder in name order: no subfolders, no hidden
// files; or, for a folder that cannot be listed, the line that says why.
Result<std::vector<std::string>> PlainFiles(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code typeError;
    if (name.empty() || name[0] == '.' || !it->is_regular_file(typeError)) continue;
    names.push_back(name);
  }
  if (ec) return Failure{"フォルダ [" + folder.string() + "] の中を読み込めません：" + fileio::ReasonText(ec.value())};
  std::sort(names.begin(), names.end());
  return names;
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(fs::path(path), ec);
}

// "ファイル [path] " or, for a folder, "フォルダ [path] ".
std::string Named(const std::string& path) { return (IsFolder(path) ? "フォルダ [" : "ファイル [") + path + "] "; }

// Adds one path; false once the store is full, so that the caller stops
// (the user has been told once). A file the store does not take goes to
// `leftOut` with the reason.
bool AddOne(GUICore::StoreItemBatch& batch, const std::string& path, bool& full, LeftOut& leftOut) {
  if (full) return false;
  const int32_t count = batch.count();
  std::string pathOrText = path;
  const int32_t id = batch.add(pathOrText, GUICore::GetExtensionPart(path));
  if (batch.count() == count) {
    full = id == 0 && count >= kMaxStoreItems;
    if (full) return false;
    // Neither taken nor there already: its kind is none the store holds,
    // or its text could not be read.
    if (id == 0) {
      leftOut.push_back(batch.refusal().empty() ? "ファイル [" + path + "] は素材にできない種類のファイルです"
                                                : batch.refusal());
    }
  }
  return true;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

}  // namespace

bool ListJpegStoreAddFiles(const std::vector<std::string>& paths, int32_t& row, int32_t& mode, LeftOut* leftOut) {
  if (paths.empty()) return false;
  LeftOut unreported;
  LeftOut& notAdded = leftOut ? *leftOut : unreported;
  const int32_t before = GUICore::StoreItemCount();
  bool full = false;
  std::vector<std::string> files;
  const bool fromFolder = IsFolder(paths[0]);
  if (fromFolder) {
    const fs::path folder = fs::path(paths[0]);
    const Result<std::vector<std::string>> listed = PlainFiles(folder);
    if (!listed) notAdded.push_back(listed.message());
    // Only the first folder's files are taken, never the paths beside it.
    for (size_t i = 1; i < paths.size(); ++i) notAdded.push_back(Named(paths[i]) + "はフォルダと一緒には追加できません");
    if (!listed) return false;
    std::string name = folder.filename().string();
    if (name.empty() || name == ".") name = folder.parent_path().filename().string();
    if (mode == 0) {
      std::string text = name;
      int32_t id = GUICore::AddStoreItem(text, "folder", row, mode);
      // A folder that could not be added leaves the files where the drop
      // put them.
      full = id == 0 && GUICore::StoreItemCount() >= kMaxStoreItems;
      if (id != 0) {
        StoreItem record = GUICore::GetStoreItemByID(id);
        record.flags = 1;
        GUICore::UpdateStoreItem(id, record);
        GUICore::RefreshFileList();
        row = FileListModule::GetJpegListIndex(id);
        mode = 1;
      }
    }
    for (const auto& file : *listed) files.push_back((folder / file).string());
  } else {
    files = paths;
  }
  GUICore::StoreItemBatch batch(row, mode);
  for (const auto& file : files) {
    // The listing holds plain files only; among the paths, a folder after a
    // file is not added.
    if (!fromFolder && IsFolder(file)) {
      notAdded.push_back("フォルダ [" + file + "] はファイルと一緒には追加できません");
      continue;
    }
    if (!AddOne(batch, file, full, notAdded)) break;
  }
  batch.end();
  const bool grew = GUICore::StoreItemCount() != before;

  GUICore::RefreshFileList();
  // The rows of the paths end selected, the cursor on the last in path order.
  std::unordered_map<std::string, size_t> order;
  for (size_t i = 0; i < paths.size(); ++i) order[paths[i]] = i;
  auto& fl = FileListModule::Current();
  size_t bestPath = 0;
  int32_t bestRow = 0;
  for (int32_t k = 1; k <= FileListModule::RowCount(); ++k) {
    FileListRow& r = fl.rows.at(k);
    const StoreItem* item = ItemOfRow(r);
    if (!item) continue;
    auto it = order.find(item->name);
    if (it == order.end()) continue;
    r.selected = -1;
    if (bestRow == 0 || it->second >= bestPath) {
      bestPath = it->second;
      bestRow = k;
    }
  }
  if (bestRow != 0) fl.cursorRow = bestRow;
  FileListModule::DrawFileList();
  ShowCursorItem();
  return grew;
}

bool ListJpegStoreDelete() {
  std::vector<int32_t> ids;
  for (const auto& r : FileListModule::Current().rows) {
    if (r.selected != 0) ids.push_back(r.id);
  }
  if (ids.empty()) return false;
  for (int32_t id : ids) GUICore::DeleteStoreItem(id);
  GUICore::RefreshFileList();
  auto& fl = FileListModule::Current();
  if (fl.rows.valid(fl.cursorRow)) fl.rows.at(fl.cursorRow).selected = -1;
  FileListModule::DrawFileList();
  return true;
}

bool AddFilesAtInsertPosition(const std::vector<std::string>& paths, LeftOut* leftOut) {
  if (paths.empty()) return false;
  LeftOut notAdded;
  bool grew = false;
  {
    GUICore::StoreUndoScope undo;
    if (!undo) return false;
    auto& fl = FileListModule::Current();
    const int32_t timelines = GUICore::TimelineCount();
    grew = ListJpegStoreAddFiles(paths, fl.insertRow, fl.insertMode, leftOut ? leftOut : &notAdded);
    // Each sprite file made a sprite with a timeline of its own, which the
    // store's snapshot cannot take back: left behind, it would stay shown and
    // saved, and a sprite given its ID later could be relinked to it.
    for (int32_t t = timelines; t < GUICore::TimelineCount(); ++t) {
      undo.record(GUICore::kStoreUndoTimelineCopied, t, 0);
    }
    if (!grew) undo.dismiss();
  }
  // Once the step is recorded and the list shows what was added.
  ReportLeftOut(notAdded);
  return grew;
}

std::string LinkLeftOut(const std::string& link) { return "[" + link + "] はこのコンピュータのファイルではありません"; }

void ReportLeftOut(const LeftOut& leftOut) { WarnWithList("次のファイルは追加されませんでした。", leftOut); }

void WarnWithList(const std::string& header, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::string text = header;
  const size_t shown = std::min(lines.size(), kListedLines);
  for (size_t i = 0; i < shown; ++i) text += "\n" + lines[i];
  if (lines.size() > shown) text += "\n…ほか " + std::to_string(lines.size() - shown) + " 件";
  ui::Current().messages->message("警告", text, ui::Icon::Exclamation);
}

bool DeleteSelected() {
  if (!HasRows() || !AnySelected()) return false;
  GUICore::StoreUndoScope undo;
  if (!undo) return false;
  bool deleted = ListJpegStoreDelete();
  if (!deleted) undo.dismiss();
  return deleted;
}

std::string AddFileFilter(int16_t swfVersion) {
  const bool phone = swfVersion == 4;
  std::string f;
  auto add = [&f](const std::string& description, const std::string& pattern) {
    f += description;
    f += '\0';
    f += pattern;
    f += '\0';
  };
  if (phone) {
    add("追加可能なファイル (*.jpg;*.bmp;*.png;*.gif;*.kvg;*.mp3;*.wav;*.mld;*.mid;*.mmf;*.flv;*.txt)",
        "*.jpg;*.jpeg;*.bmp;*.png;*.gif;*.kvg;*.mp3;*.wav;*.mld;*.mid;*.mmf;*.flv;*.txt");
  } else {
    add("追加可能なファイル (*.jpg;*.bmp;*.png;*.gif;*.kvg;*.mp3;*.wav;*.flv;*.txt)",
        "*.jpg;*.jpeg;*.bmp;*.png;*.gif;*.kvg;*.mp3;*.wav;*.flv;*.txt");
  }
  add("画像ファイル (*.jpg;*.bmp;*.png;*.gif;*.kvg)", "*.jpg;*.jpeg;*.bmp;*.png;*.gif;*.kvg");
  if (phone) {
    add("サウンドファイル (*.mp3;*.wav;*.mld;*.mid;*.mmf)", "*.mp3;*.wav;*.mld;*.mid;*.mmf");
  } else {
    add("サウンドファイル (*.mp3;*.wav)", "*.mp3;*.wav");
  }
  add("ビデオファイル (*.flv)", "*.flv");
  add("テキストファイル (*.txt)", "*.txt");
  add("全てのファイル (*.*)", "*.*");
  return f;
}

bool AddFilesFromDialog() {
  if (GUICore::BuildInProgress()) return false;
  DialogModule::FileDialogRecord record;
  record.filter = AddFileFilter(GUICore::GetSWFVersion());
  record.flags = DialogModule::kAllowMultiSelect;
  const std::string& project = State().projectPath;
  record.initialDir = project.empty() ? HomeFolder() : GUICore::GetFolderPart(project);
  if (!DialogModule::OpenFileDialog(record) || record.file.empty()) return false;
  return AddFilesAtInsertPosition(DialogModule::SelectedFiles(record.file));
}

int32_t AddNewItem(const std::string& kindKey, const PropertyExchange& properties) {
  GUICore::StoreUndoScope undo;
  if (!undo) return 0;
  auto& fl = FileListModule::Current();
  std::string text;
  int32_t row = fl.cursorRow, mode = 0;
  int32_t id = GUICore::AddStoreItem(text, kindKey, row, mode);
  if (id == 0) {
    undo.dismiss();
    return 0;
  }
  GUICore::RefreshFileList();
  fl.cursorRow = FileListModule::GetJpegListIndex(id);
  if (fl.rows.valid(fl.cursorRow)) fl.rows.at(fl.cursorRow).selected = -1;
  FileListModule::EnsureSelectionVisible();
  FileListModule::DrawFileList();

  // The timeline is found now: the dialog may give the sprite another ID.
  const StoreItem added = GUICore::GetStoreItemByID(id);
  const int32_t timeline = added.kind == StoreItemKind::Sprite ? added.param : 0;
  if (properties) properties();
  // Recorded after the dialog, so the copy names the sprite's final ID
  // and redo gives the sprite its timeline back.
  if (timeline >= 1) undo.record(GUICore::kStoreUndoTimelineCopied, timeline, 0);
  undo.record(GUICore::kStoreUndoClearIdChanges, 0, 0);
  undo.push();
  // The dialog may have renumbered the item: the row's position still holds it.
  const auto& store = State().store;
  if (fl.rows.valid(fl.cursorRow) && store.valid(fl.rows.at(fl.cursorRow).index)) {
    return store.at(fl.rows.at(fl.cursorRow).index).id;
  }
  return id;
}

bool ListJpegStoreDuplicate(int32_t& row, int32_t& mode) {
  bool copied = GUICore::CopyMarkedItems(row, mode);
  ShowCursorItem();
  return copied;
}

bool DuplicateSelected() {
  if (!HasRows() || !AnySelected()) return false;
  GUICore::StoreUndoScope undo;
  if (!undo) return false;
  auto& fl = FileListModule::Current();
  int32_t row = fl.insertRow, mode = fl.insertMode;
  bool copied = ListJpegStoreDuplicate(row, mode);
  if (!copied) undo.dismiss();
  return copied;
}

EventRecord EventForMaterial(const StoreItem& item, const MaterialFrames& frames) {
  EventRecord e = NewEventFor(item.kind);
  e.itemId = item.id;
  if ((item.kind == StoreItemKind::Video || item.kind == StoreItemKind::Text) && frames) {
    int32_t n = frames(item);
    if (n > 0) e.frameCount = n;
  }
  return e;
}

int32_t ListJpegStoreAddEvent(const MaterialFrames& frames) {
  if (!HasRows()) return 0;
  GUICore::EventUndoScope undo;
  if (!undo) return 0;
  auto& el = EventListModule::Current();
  EventListModule::ClearRowSelection();
  int32_t p = el.currentRow;
  int32_t inserted = 0;
  {
    EventListModule::RenumberBatch batch;
    for (const auto& r : FileListModule::Current().rows) {
      if (r.selected == 0 || r.id <= 0) continue;
      const StoreItem* item = ItemOfRow(r);
      if (!item) continue;
      EventRecord e = EventForMaterial(*item, frames);
      undo.add(p + 1, e, EventUndoStep::kInserted);
      p = GUICore::InsertEvent(e, p);
      ++inserted;
    }
  }
  if (inserted > 0) {
    el.currentRow = std::min(el.currentRow + 1, EventListModule::RowCount() - 1);
    EventListModule::UpdateEventScrollBars();
    EventListModule::EnsureCurrentVisible();
  }
  EventListModule::DrawEventList();
  return inserted;
}

bool SelectAllStore() {
  if (!HasRows()) return false;
  for (auto& r : FileListModule::Current().rows) r.selected = -1;
  FileListModule::DrawFileList();
  return true;
}

MaterialFile CursorMaterialFile() {
  const auto& fl = FileListModule::Current();
  if (!fl.rows.valid(fl.cursorRow)) return {};
  const StoreItem* item = ItemOfRow(fl.rows.at(fl.cursorRow));
  if (!item || !IsFileKind(item->kind)) return {};
  auto found = PathModule::LocateFile(item->name, GUICore::GetFolderPart(State().projectPath));
  if (found && GUICore::FileExists(*found)) return {*found, true};
  return {item->name, false};
}

}  // namespace tesmiro::StoreCommands
