#pragma once
// Whole-file reading and atomic replacement.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tesmiro::fileio {

// The whole file, or an empty optional (missing, unreadable, or larger than
// `maxBytes`).
std::optional<std::vector<uint8_t>> ReadAll(const std::filesystem::path& path,
                                            uint64_t maxBytes = 1ull << 31);

// Writes a temporary file beside `path`, flushes it and renames it over the
// old one. On failure the old file is untouched, the temporary removed, and
// the message (in Japanese, for the user) returned in `error`.
bool WriteAtomic(const std::filesystem::path& path, std::span<const uint8_t> data, std::string* error);

bool Exists(const std::filesystem::path& path);

}  // namespace tesmiro::fileio
