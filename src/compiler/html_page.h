#pragma once
// The HTML page that hosts a movie, from the user's "template.txt" or the
// built-in page.
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/result.h"

namespace tesmiro::GUICore {

inline constexpr const char* kHtmlTemplateFile = "template.txt";

// The template text: "template.txt" of the config folder as it stands, or
// the built-in page, which is then written to that file. A template that is
// there but cannot be read is replaced by the built-in page too, and left
// as it is; `unreadable` then says why.
std::string LoadHTMLTemplate(std::string* unreadable = nullptr);

// The template with "<<WIDTH>>", "<<HEIGHT>>" and "<<FILENAME>>" filled in.
std::string FillHTMLTemplate(const std::string& page, int32_t width, int32_t height, const std::string& fileName);

// Writes the page for the movie at moviePath, just saved, beside it
// (extension "html"). The user is told, and the message comes back, when it
// cannot be written (the box says that the movie was saved all the same),
// and told when the page had to be the built-in one.
Result<void> WriteHTMLPage(const std::filesystem::path& moviePath, int32_t width, int32_t height);

// The "警告" box for a page written from the built-in one because the
// template could not be read (`unreadable` from LoadHTMLTemplate); none
// when it was read.
void TellBuiltInPage(const std::string& unreadable);

// "template.txt" of the config folder, for the user to edit: written from
// the built-in page first when there is none. The failure says why it could
// not be written.
Result<std::filesystem::path> MakeHTMLTemplateForEditing();

}  // namespace tesmiro::GUICore
