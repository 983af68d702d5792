#include "support/user_text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tesmiro::testing {
namespace {

// Formats, the product, and the words the program's own texts carry.
constexpr std::array<std::string_view, 32> kKnownWords = {
    "Tesmiro", "SWF", "swf", "HTML", "html", "tsm", "KVG", "kvg", "FLV", "flv", "MP3", "mp3",
    "JPEG", "jpeg", "JPG", "jpg", "PNG", "png", "GIF", "gif", "BMP", "bmp", "WAV", "wav",
    "SMAF", "MFi", "SMF", "txt", "ini", "Line", "KB", "ActionScript"};

bool IsLatin(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::vector<std::string> ForeignWords(std::string_view text, const std::vector<std::string>& names,
                                      const std::vector<std::string>& allowed) {
  std::string rest(text);
  // Longest names first, so that a path is taken out before its own file name.
  std::vector<std::string> quoted = names;
  std::sort(quoted.begin(), quoted.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& name : quoted) {
    if (name.empty()) continue;
    for (std::size_t at = rest.find(name); at != std::string::npos; at = rest.find(name, at))
      rest.replace(at, name.size(), " ");
  }
  if (rest.find("No File") != std::string::npos) rest.replace(rest.find("No File"), 7, " ");

  std::vector<std::string> found;
  for (std::size_t i = 0, end = 1; i < rest.size(); i = end, end = i + 1) {
    if (!IsLatin(rest[i])) continue;
    while (end < rest.size() && IsLatin(rest[end])) ++end;
    const std::string word = rest.substr(i, end - i);
    const bool extension = i > 0 && rest[i - 1] == '.';
    const bool known = std::find(kKnownWords.begin(), kKnownWords.end(), word) != kKnownWords.end() ||
                       std::find(allowed.begin(), allowed.end(), word) != allowed.end();
    // One letter (a drive, a key, "N") reads as a symbol, not a word.
    if (word.size() > 1 && !extension && !known) found.push_back(word);
  }
  return found;
}

}  // namespace tesmiro::testing
