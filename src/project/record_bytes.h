#pragma once
// The project records as bytes: members in declaration order, packed,
// little-endian; a string is a 16-bit byte count and its Shift-JIS (CP932)
// bytes; the anchor array carries its dimension count (1), element count and
// lower bound (0). Project files, backups and templates use this layout;
// RecordBytes() gives the in-memory form that decides record equality.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/result.h"
#include "project/records.h"

namespace tesmiro {

// Each writer appends one record. It fails, naming the text that could not be
// written, when a string has a character that CP932 cannot hold or is longer
// than 65535 bytes in CP932; the writer's content is then incomplete.
[[nodiscard]] Result<void> WriteProjectSettings(ByteWriter& w, const ProjectSettings& s);
[[nodiscard]] Result<void> WriteStoreItem(ByteWriter& w, const StoreItem& item);
[[nodiscard]] Result<void> WriteEventRecord(ByteWriter& w, const EventRecord& e);
void WriteFilterState(ByteWriter& w, const FilterState& f);
void WriteFilterParams(ByteWriter& w, const FilterParams& p);

// On-disk sizes of the fixed parts.
inline constexpr size_t kFilterParamsBytes = 40;
inline constexpr size_t kFilterStateBytes = 286;

// A lossless byte form of a record for comparisons: the same layout, with
// strings as a 32-bit count and their UTF-8 bytes, so that it never fails
// and two texts that CP932 would merge still differ.
std::vector<uint8_t> RecordBytes(const StoreItem& item);
std::vector<uint8_t> RecordBytes(const EventRecord& e);
std::vector<uint8_t> RecordBytes(const ProjectSettings& s);

}  // namespace tesmiro
