#include "project/ini_file.h"

#include <cmath>
#include <cstdio>

#include "platform/encoding.h"
#include "platform/file_io.h"
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

std::optional<IniFile> IniFile::Read(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return IniFile{};
  auto data = fileio::ReadAll(path, 16u << 20);
  if (!data) return std::nullopt;
  return Parse(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

IniFile IniFile::Load(const std::filesystem::path& path) {
  auto f = Read(path);
  return f ? std::move(*f) : IniFile{};
}

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile f;
  std::string text;
  if (bytes.substr(0, kBom.size()) == kBom) {
    f.bom_ = true;
    text = std::string(bytes.substr(kBom.size()));
  } else if (enc::IsValidUtf8(bytes)) {
    text = std::string(bytes);
  } else {
    f.cp932_ = true;
    text = enc::Cp932ToUtf8(bytes);
  }
  size_t firstLf = text.find('\n');
  if (firstLf != std::string::npos && firstLf > 0 && text[firstLf - 1] == '\r') f.eol_ = "\r\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    size_t end = lf == std::string::npos ? text.size() : lf;
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    f.lines_.push_back(std::move(line));
    start = end + 1;
  }
  return f;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  bool inSection = false, seen = false;
  for (const std::string& line : lines_) {
    if (auto s = SectionOf(line)) {
      // Only the first section of a name counts, as the platform reads it.
      if (inSection) return std::nullopt;
      inSection = !seen && EqualsNoCase(*s, section);
      seen = seen || inSection;
      continue;
    }
    if (!inSection) continue;
    auto k = KeyOf(line);
    if (k && EqualsNoCase(*k, key)) return ValueOf(line);
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  std::string newLine = std::string(key) + "=" + v;

  size_t sectionLine = lines_.size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto s = SectionOf(lines_[i]);
    if (s && EqualsNoCase(*s, section)) {
      sectionLine = i;
      break;
    }
  }
  if (sectionLine == lines_.size()) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(newLine);
    return;
  }
  size_t lastContent = sectionLine;
  for (size_t i = sectionLine + 1; i < lines_.size(); ++i) {
    if (SectionOf(lines_[i])) break;
    auto k = KeyOf(lines_[i]);
    if (k && EqualsNoCase(*k, key)) {
      // The key keeps the spelling and indentation the file gave it.
      size_t eq = lines_[i].find('=');
      lines_[i] = lines_[i].substr(0, eq + 1) + v;
      return;
    }
    if (!Trim(lines_[i]).empty()) lastContent = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1), newLine);
}

std::string IniFile::encode() const {
  std::string text;
  for (const std::string& line : lines_) text += line + eol_;
  if (cp932_) {
    if (auto bytes = enc::Utf8ToCp932(text)) return *bytes;
    // A value without a CP932 form: the whole file moves to UTF-8, which
    // the next reading recognises by its valid non-ASCII bytes.
  }
  return bom_ ? std::string(kBom) + text : text;
}

bool IniFile::save(const std::filesystem::path& path, std::string* error) const {
  std::string bytes = encode();
  return fileio::WriteAtomic(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), error);
}

}  // namespace tesmiro

namespace tesmiro::IniFileModule {

std::string GetIniString(std::string_view section, std::string_view key, std::string_view defaultText,
                         const std::filesystem::path& iniPath) {
  auto v = IniFile::Load(iniPath).get(section, key);
  return v ? *v : std::string(defaultText);
}

bool WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::filesystem::path& iniPath) {
  auto f = IniFile::Read(iniPath);
  if (!f) return false;
  f->set(section, key, value);
  return f->save(iniPath, nullptr);
}

double GetIniValue(std::string_view section, std::string_view key, double defaultValue,
                   const std::filesystem::path& iniPath) {
  return num::Val(GetIniString(section, key, PlainNumber(defaultValue), iniPath));
}

bool WriteIniValue(std::string_view section, std::string_view key, double value,
                   const std::filesystem::path& iniPath) {
  return WriteIniString(section, key, PlainNumber(value), iniPath);
}

}  // namespace tesmiro::IniFileModule
