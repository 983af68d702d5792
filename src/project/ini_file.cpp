#include "project/ini_file.h"

#include <cmath>
#include <cstdio>

#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/gcc_quirks.h"
#include "platform/numeric.h"

namespace tesmiro {
namespace {

using enc::EqualsNoCase;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  size_t close = t.find(']');
  std::string_view name = close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
  return Trim(name);
}

// The key of a "key=value" line; comment lines have none.
std::optional<std::string_view> KeyOf(std::string_view line) {
  std::string_view t = Trim(line);
  if (t.empty() || t[0] == ';') return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Trim(t.substr(0, eq));
}

std::string ValueOf(std::string_view line) {
  std::string_view v = Trim(line.substr(line.find('=') + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string PlainNumber(double v) {
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
  }
  return num::CStr(v);
}

}  // namespace

Result<IniFile> IniFile::Read(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return IniFile{};
  auto data = fileio::ReadAll(path, 16u << 20);
  if (!data) return Failure{data.message()};
  return Parse(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

IniFile IniFile::Load(const std::filesystem::path& path) {
  auto f = Read(path);
  return f ? std::move(*f) : IniFile{};
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile f;
  std::string_view body = bytes;
  if (bytes.substr(0, kBom.size()) == kBom) {
    f.bom_ = true;
    body = bytes.substr(kBom.size());
  } else if (!enc::IsValidUtf8(bytes)) {
    f.cp932_ = true;
  }
  bool eolSeen = false;
  size_t start = 0;
  while (start < body.size()) {
    const size_t lf = body.find('\n', start);
    const size_t stop = lf == std::string_view::npos ? body.size() : lf;
    Line line;
    line.raw = std::string(body.substr(start, stop - start));
    if (lf != std::string_view::npos) {
      TESMIRO_GCC12_COPY_WARNINGS_OFF
      line.end = "\n";
      TESMIRO_GCC12_COPY_WARNINGS_ON
      // One CR before the LF belongs to the line end; a CR before that is
      // part of the value and stays.
      if (!line.raw.empty() && line.raw.back() == '\r') {
        line.raw.pop_back();
        line.end = "\r\n";
      }
      if (!eolSeen) f.eol_ = line.end;
      eolSeen = true;
    }
    line.text = f.cp932_ ? enc::Cp932ToUtf8(line.raw) : line.raw;
    f.lines_.push_back(std::move(line));
    start = stop + 1;
  }
  return f;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  bool inSection = false, seen = false;
  for (const Line& line : lines_) {
    if (auto s = SectionOf(line.text)) {
      // Only the first section of a name counts, as the platform reads it.
      if (inSection) return std::nullopt;
      inSection = !seen && EqualsNoCase(*s, section);
      seen = seen || inSection;
      continue;
    }
    if (!inSection) continue;
    auto k = KeyOf(line.text);
    if (k && EqualsNoCase(*k, key)) return ValueOf(line.text);
  }
  return std::nullopt;
}

IniFile::Line IniFile::made(std::string text) const {
  Line line;
  line.text = std::move(text);
  line.end = eol_;
  line.edited = true;
  return line;
}

// Whether the file can hold the text: always in UTF-8; in CP932 when the
// text has a CP932 form, or else by moving the whole file to UTF-8, which
// is only done when every line converts without loss.
bool IniFile::representable(const std::string& text) {
  if (!cp932_ || enc::Utf8ToCp932(text)) return true;
  for (const Line& line : lines_) {
    if (line.edited) continue;
    const auto back = enc::Utf8ToCp932(line.text);
    if (!back || *back != line.raw) return false;
  }
  for (Line& line : lines_) line.edited = true;
  cp932_ = false;
  return true;
}

bool IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  std::string newLine = std::string(key) + "=" + v;

  size_t sectionLine = lines_.size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto s = SectionOf(lines_[i].text);
    if (s && EqualsNoCase(*s, section)) {
      sectionLine = i;
      break;
    }
  }
  // A line added after a last line without a line end gives it one.
  auto endLastLine = [this] {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = eol_;
  };
  if (sectionLine == lines_.size()) {
    TESMIRO_GCC12_COPY_WARNINGS_OFF
    const std::string heading = "[" + std::string(section) + "]";
    TESMIRO_GCC12_COPY_WARNINGS_ON
    if (!representable(heading) || !representable(newLine)) return false;
    endLastLine();
    lines_.push_back(made(heading));
    lines_.push_back(made(newLine));
    changed_ = true;
    return true;
  }
  size_t lastContent = sectionLine;
  for (size_t i = sectionLine + 1; i < lines_.size(); ++i) {
    const std::string& text = lines_[i].text;
    if (SectionOf(text)) break;
    auto k = KeyOf(text);
    if (k && EqualsNoCase(*k, key)) {
      const std::string current = ValueOf(text);
      if (current == value || current == v) return true;
      // The key keeps the spelling and indentation the file gave it.
      std::string replaced = text.substr(0, text.find('=') + 1) + v;
      if (!representable(replaced)) return false;
      lines_[i].text = std::move(replaced);
      lines_[i].edited = true;
      changed_ = true;
      return true;
    }
    if (!Trim(text).empty()) lastContent = i;
  }
  if (!representable(newLine)) return false;
  if (lastContent + 1 == lines_.size()) endLastLine();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), made(newLine));
  changed_ = true;
  return true;
}

std::string IniFile::encode() const {
  std::string out = bom_ ? std::string(kBom) : std::string();
  for (const Line& line : lines_) {
    if (!line.edited) out += line.raw;
    else if (cp932_) out += enc::Utf8ToCp932(line.text).value_or(line.text);
    else out += line.text;
    out += line.end;
  }
  return out;
}

Result<void> IniFile::save(const std::filesystem::path& path) const {
  std::string bytes = encode();
  return fileio::WriteAtomic(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace tesmiro

namespace tesmiro::IniFileModule {

std::string GetIniString(std::string_view section, std::string_view key, std::string_view defaultText,
                         const std::filesystem::path& iniPath) {
  auto v = IniFile::Load(iniPath).get(section, key);
  return v ? *v : std::string(defaultText);
}

Result<void> WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                            const std::filesystem::path& iniPath) {
  auto f = IniFile::Read(iniPath);
  if (!f) return Failure{f.message()};
  if (!f->set(section, key, value))
    return Failure{fileio::WriteFailureText(
        iniPath, "「" + std::string(value) + "」にShift-JISで保存できない文字が含まれています")};
  // A value that is already there leaves the file as it is.
  if (!f->changed()) return {};
  return f->save(iniPath);
}

double GetIniValue(std::string_view section, std::string_view key, double defaultValue,
                   const std::filesystem::path& iniPath) {
  return num::Val(GetIniString(section, key, PlainNumber(defaultValue), iniPath));
}

Result<void> WriteIniValue(std::string_view section, std::string_view key, double value,
                           const std::filesystem::path& iniPath) {
  return WriteIniString(section, key, PlainNumber(value), iniPath);
}

}  // namespace tesmiro::IniFileModule
