#pragma once
// Project files (".tsm"), the default-settings file and the body shared with
// the automatic backup: packed little-endian records, strings as a 16-bit
// byte count and CP932 bytes. Version "0A3" is written; "0A1" and "091" are
// read and converted.
//
// A project file is untrusted: it is parsed into a ProjectData of its own,
// every count is checked against the bytes left before anything is sized,
// and the cross-references are checked (or repaired where the repair loses
// nothing) before the caller moves the result into the model.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/file_io.h"
#include "platform/result.h"
#include "platform/scoped_install.h"
#include "project/one_based.h"
#include "project/records.h"

namespace tesmiro::TSMModule {

inline constexpr std::string_view kMagic = "TSM";
inline constexpr std::string_view kCurrentVersion = "0A3";
inline constexpr std::string_view kBackupMagic = "TSMBUP";
inline constexpr const char* kInvalidFileText = "は不正なTesmiroプロジェクトファイルです。";

// How events are laid out in a file of each version.
enum class EventLayout { V0A3, V0A1, V091 };

// Bytes of an event without its two strings and anchors, by layout.
inline constexpr size_t kMinEventBytes0A3 = 686;
inline constexpr size_t kMinEventBytes0A1 = 674;
inline constexpr size_t kMinEventBytes091 = 98;
inline constexpr size_t kMinStoreItemBytes = 44;
// Larger files are refused unread, and neither a project nor its backup is
// written larger: one limit for what is written and what is read, the one
// the backup is read with, so that whatever Save or the backup writes opens
// again. A project of 9,999 items and 200,000 events with their texts takes
// about 150 MB; a long text material or event list can take far more.
inline constexpr uint64_t kMaxProjectFileBytes = fileio::kMaxReadBytes;

// The limit in force: kMaxProjectFileBytes, but while a test holds a
// ScopedProjectFileLimit.
uint64_t ProjectFileLimit();

// For tests of the limit without files of gigabytes: while an instance
// lives, the readers and writers of project files go by `bytes`.
class ScopedProjectFileLimit : private ScopedValue<uint64_t> {
 public:
  explicit ScopedProjectFileLimit(uint64_t bytes);
};

// A whole project apart from the model.
struct ProjectData {
  ProjectSettings settings;
  OneBased<StoreItem> store;
  std::vector<Timeline> timelines{Timeline{}};  // from 0; element 0 is the main movie
};

// Reads the project file at `path`, or the reason it cannot be used (shown
// after "ファイル [" name "] "): the reader's when the file cannot be read,
// kInvalidFileText when what was read is no project.
Result<ProjectData> LoadProjectFile(const std::filesystem::path& path);
// Whether the file is there, can be read and is not too large to be a
// project, or the reason as LoadProjectFile gives it; reads nothing of it.
Result<void> CheckProjectFile(const std::filesystem::path& path);
// The same over bytes; relative material paths are resolved against
// `projectFolder`.
Result<ProjectData> ParseProjectFile(std::span<const uint8_t> bytes, std::string_view projectFolder);

// Reads settings, store items and timelines from the reader's position
// through the end of the data (shared with the backup), or the fault.
Result<ProjectData> ReadProjectBody(ByteReader& r, EventLayout layout, std::string_view projectFolder);

// Readers of single records (the reader's error flag tells failure).
std::string ReadString(ByteReader& r);
ProjectSettings ReadSettings(ByteReader& r);
StoreItem ReadStoreItem(ByteReader& r);
FilterState ReadFilterState(ByteReader& r);
EventRecord ReadEvent(ByteReader& r, EventLayout layout);

// Writes settings, store items and timelines (events in "0A3" form). With
// `relativeTo` set (the project file, which must exist), file paths are
// written relative to it where they can be. Fails with a message naming the
// item or event whose text cannot be stored (no CP932 form, or longer than
// 65,535 bytes), or with none when the writer's sink failed.
Result<void> WriteProjectBody(ByteWriter& w, const ProjectSettings& settings, const OneBased<StoreItem>& store,
                              const std::vector<Timeline>& timelines, const std::string* relativeTo);

// The sink of a writer of a project file or a backup: the bytes go to
// `file` as they come, and what would make it longer than the limit fails
// it as too large ("ファイル [...] を書き込めません：ファイルが大きすぎます")
// before it is written, so the file it replaces stays.
ByteWriter::Sink ProjectFileSink(fileio::ReplacementFile& file);

// The file bytes of the open project (its timelines as they stand; the
// caller commits the working event list first).
Result<std::vector<uint8_t>> ProjectFileBytes(const std::string& path);

// The bytes of an empty project carrying the settings.
Result<std::vector<uint8_t>> EmptyProjectBytes(const ProjectSettings& settings);

// Checks and repairs what records of a project refer to; false with a
// message when the project cannot be used (see project_file.cpp).
bool ValidateProject(ProjectData& data, std::string& message);

}  // namespace tesmiro::TSMModule

namespace tesmiro::GUICore {

// When a readable project file exists at the path, copies only its settings
// into the project's settings and returns true; otherwise changes nothing
// and returns false. Used with "_default.tsm" by NewProject.
bool LoadProjectHeader(const std::filesystem::path& path);

// False, after an "ファイルオープンエラー" box with the reason, when the file
// cannot be opened at all (missing, unreadable, too large): asked before
// anything is closed or any question is put.
bool CanOpenProjectFile(const std::string& path);

// Replaces the current project by the file's content. A file that cannot be
// opened at all (CanOpenProjectFile) leaves the open project; any other
// failure an "ファイルオープンエラー" box naming the reason and an empty new
// project. Result: success.
bool OpenProject(const std::string& path);

// Moves a parsed project into the model (settings, store, timelines, the
// working list of the main timeline) and shows it; the caller has called
// NewProject and sets path, caption and modified state.
void InstallProject(TSMModule::ProjectData&& data);

// Writes the whole project to the path (atomically), or refuses it once it
// would be larger than a project file may be to open. On success the status
// line shows the saved message, the project is unmodified and the automatic
// backup is removed; on failure an "エラー" box tells why and nothing else
// changes, and the box's message comes back.
Result<void> SaveProject(const std::string& path);

// Writes an empty project file carrying the current settings; fails (after
// an "エラー" box with its message) when it cannot be written.
Result<void> WriteEmptyProject(const std::filesystem::path& path);

}  // namespace tesmiro::GUICore
