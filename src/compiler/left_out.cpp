#include "compiler/left_out.h"

#include <algorithm>

#include "platform/ui.h"

namespace tesmiro::GUICore {
namespace {

constexpr size_t kListedLines = 20;

LeftOutList gList;

std::string LineOf(const LeftOutList::Entry& entry) {
  if (entry.font.empty()) return entry.line;
  std::string characters;
  for (const std::string& c : entry.characters) characters += c;
  return "フォント [" + entry.font + "] にない文字は表示されません：" + characters;
}

std::vector<std::string> LinesOf(const LeftOutList& list) {
  std::vector<std::string> lines;
  for (const LeftOutList::Entry& e : list.entries) lines.push_back(LineOf(e));
  return lines;
}

}  // namespace

void ClearLeftOut() { gList = {}; }

void NoteLeftOut(const std::string& line) {
  for (const LeftOutList::Entry& e : gList.entries)
    if (e.font.empty() && e.line == line) return;
  gList.entries.push_back({line, {}, {}});
}

void NoteMissingCharacters(const std::string& font, const std::vector<std::string>& characters) {
  if (characters.empty()) return;
  auto entry = std::find_if(gList.entries.begin(), gList.entries.end(),
                            [&](const LeftOutList::Entry& e) { return e.font == font; });
  if (entry == gList.entries.end()) entry = gList.entries.insert(gList.entries.end(), {{}, font, {}});
  for (const std::string& c : characters)
    if (std::find(entry->characters.begin(), entry->characters.end(), c) == entry->characters.end())
      entry->characters.push_back(c);
}

std::vector<std::string> LeftOutLines() { return LinesOf(gList); }

LeftOutList SavedLeftOut() { return gList; }
void RestoreLeftOut(const LeftOutList& list) { gList = list; }

void ReportLeftOut(const LeftOutList& list) {
  if (list.entries.empty()) return;
  // A font stood in for or a morph written as a still shape is in the
  // movie, in another form.
  const std::string header = "次のものはムービーに含まれていないか、別の形で含まれています。\r\n";
  ui::Current().messages->message("警告", header + ListedLines(LinesOf(list)), ui::Icon::Exclamation);
}

std::string LeftOutLine() {
  std::string line;
  for (const std::string& l : LeftOutLines()) line += (line.empty() ? "" : "　") + l;
  if (line.empty()) return line;
  return "ムービーに含まれていないか別の形で含まれるもの " + std::to_string(gList.entries.size()) + " 件：" + line;
}

std::string ListedLines(const std::vector<std::string>& lines) {
  std::string text;
  const size_t shown = std::min(lines.size(), kListedLines);
  for (size_t i = 0; i < shown; ++i) text += lines[i] + "\r\n";
  if (lines.size() > shown) text += "…ほか " + std::to_string(lines.size() - shown) + " 件";
  return text;
}

std::string MissingFileLine(const std::string& path) { return "ファイル [" + path + "] がありません"; }

}  // namespace tesmiro::GUICore
