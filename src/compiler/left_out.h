#pragma once
// What a build left out of its movie without a box of its own: a material
// whose file is missing or cannot be used, an effect template or a font not
// installed here, letters a font lacks. Gathered while the build runs and
// told once it has ended, so that a movie with holes never looks finished.
#include <string>
#include <vector>

namespace tesmiro::GUICore {

// The list of what the build now starting leaves out.
void ClearLeftOut();
// One thing left out, as its line ("ファイル [path] がありません"); a line
// already listed is not listed again.
void NoteLeftOut(const std::string& line);
// Characters of a text that its font lacks: one line per font, however many
// texts use it.
void NoteMissingCharacters(const std::string& font, const std::vector<std::string>& characters);
// The lines in the order the build met them.
std::vector<std::string> LeftOutLines();

// The list as it stands, to carry over a build that starts from the
// definitions of the one before (the live picture).
struct LeftOutList {
  struct Entry {
    std::string line;
    std::string font;  // the entry of a font's missing characters, by font
    std::vector<std::string> characters;
  };
  std::vector<Entry> entries;
};
LeftOutList SavedLeftOut();
void RestoreLeftOut(const LeftOutList& list);

// After Make SWF and the previews in the browser or the player: one "警告"
// box with the build's list, taken when the build ended (a build that runs
// inside a box shown meanwhile starts a list of its own); none when nothing
// was left out.
void ReportLeftOut(const LeftOutList& list);
// The list in one line, for the preview window and the live picture, which
// show it without a box; empty when nothing was left out.
std::string LeftOutLine();

// Lines as the build's boxes list them: at most 20, then how many more.
std::string ListedLines(const std::vector<std::string>& lines);

// "ファイル [path] がありません", the line of a material's missing file.
std::string MissingFileLine(const std::string& path);

}  // namespace tesmiro::GUICore
