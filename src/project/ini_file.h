#pragma once
// The text settings file: "[section]" headings and "key=value" lines, as
// Windows programs write them. Section and key names match without regard
// to case, the first occurrence wins, and a write changes the key's line in
// place so that the user's comments, order and spelling survive. Lines a
// write does not change keep their bytes, line ends included.
//
// A file is read as UTF-8 when it starts with a byte-order mark or holds
// valid non-ASCII UTF-8, else as CP932; it is written back in the same
// encoding (UTF-8 for new files, and when a value has no CP932 form and
// every other line converts without loss).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace tesmiro {

class IniFile {
 public:
  // A missing file gives an empty settings file; nullopt when the file is
  // there but cannot be read (so that a write does not replace it).
  static Result<IniFile> Read(const std::filesystem::path& path);
  // For reading only: a missing or unreadable file gives an empty one.
  static IniFile Load(const std::filesystem::path& path);
  static IniFile Parse(std::string_view bytes);

  // The value with blanks around it and one pair of enclosing quotes
  // removed; nullopt when the section or key is missing.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Replaces the key's value, adds the key at the end of its section, or
  // adds the section at the end of the file. Line breaks inside the value
  // become blanks, since they would start a new line of the file. A value
  // that reads back as it stands leaves its line alone (quotes and all).
  // False, with nothing changed, when the file's encoding cannot hold the
  // value and the file cannot move to UTF-8 without losing bytes.
  bool set(std::string_view section, std::string_view key, std::string_view value);

  // The file as bytes in its encoding.
  std::string encode() const;
  // Replaces the file atomically, or says why not (for the user).
  Result<void> save(const std::filesystem::path& path) const;

  bool isCp932() const { return cp932_; }
  // Whether a set() has changed anything since the file was read.
  bool changed() const { return changed_; }

 private:
  struct Line {
    std::string text;    // UTF-8, without its line end
    std::string raw;     // the bytes as read, without the line end
    std::string end;     // "\r\n", "\n", or "" for a last line without one
    bool edited = false;  // written from `text` in the file's encoding
  };
  Line made(std::string text) const;
  bool representable(const std::string& text);

  std::vector<Line> lines_;
  std::string eol_ = "\n";
  bool changed_ = false;
  bool cp932_ = false;
  bool bom_ = false;
};

}  // namespace tesmiro

namespace tesmiro::IniFileModule {

// The value, or `defaultText` when the key (or the file) is missing.
std::string GetIniString(std::string_view section, std::string_view key, std::string_view defaultText,
                         const std::filesystem::path& iniPath);
// Writes one key, or says why the file cannot take it (for the user).
Result<void> WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                            const std::filesystem::path& iniPath);
// The value's leading number ("12px" gives 12, "abc" gives 0).
double GetIniValue(std::string_view section, std::string_view key, double defaultValue,
                   const std::filesystem::path& iniPath);
// Writes the number as plain decimal text.
Result<void> WriteIniValue(std::string_view section, std::string_view key, double value,
                           const std::filesystem::path& iniPath);

}  // namespace tesmiro::IniFileModule
