#include "compiler/html_page.h"

#include "platform/file_io.h"
#include "platform/ui.h"
#include "project/model.h"

namespace tesmiro::GUICore {
namespace {

const char* const kBuiltInPage[] = {
    "<html><body>",
    "<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\" "
    "codebase=\"http://fpdownload.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=7,0,0,0\" "
    "width=\"<<WIDTH>>\" height=\"<<HEIGHT>>\" align=\"middle\">",
    "<param name=\"allowScriptAccess\" value=\"sameDomain\" />",
    "<param name=\"movie\" value=\"<<FILENAME>>\" />",
    "<param name=\"quality\" value=\"high\" />",
    "<embed src=\"<<FILENAME>>\" quality=\"high\" width=\"<<WIDTH>>\" height=\"<<HEIGHT>>\" align=\"middle\" "
    "allowScriptAccess=\"sameDomain\" type=\"application/x-shockwave-flash\" "
    "pluginspage=\"http://www.macromedia.com/go/getflashplayer\" />",
    "</object>",
    "</body></html>",
};

std::string BuiltInPage() {
  std::string page;
  for (const char* line : kBuiltInPage) {
    if (!page.empty()) page += "\r\n";
    page += line;
  }
  return page;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

// The file name goes into attribute values: nothing in it may end the value
// or start markup.
std::string EscapeAttribute(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace

std::string LoadHTMLTemplate(std::string* unreadable) {
  const std::filesystem::path file = State().paths.config / kHtmlTemplateFile;
  auto bytes = fileio::ReadAll(file, 16u << 20);
  if (bytes) return std::string(bytes->begin(), bytes->end());
  const std::string page = BuiltInPage();
  if (!fileio::Exists(file)) fileio::WriteAtomic(file, Bytes(page + "\r\n"));
  else if (unreadable) *unreadable = bytes.message();
  return page;
}

std::string FillHTMLTemplate(const std::string& page, int32_t width, int32_t height, const std::string& fileName) {
  std::string out = page;
  ReplaceAll(out, "<<WIDTH>>", std::to_string(width));
  ReplaceAll(out, "<<HEIGHT>>", std::to_string(height));
  ReplaceAll(out, "<<FILENAME>>", EscapeAttribute(fileName));
  return out;
}

Result<void> WriteHTMLPage(const std::filesystem::path& moviePath, int32_t width, int32_t height) {
  std::filesystem::path page = moviePath;
  page.replace_extension(".html");
  // A movie that is itself named ".html" keeps its bytes: the page goes
  // beside it under the full name.
  if (page == moviePath) page += ".html";
  std::string unreadable;
  const std::string text =
      FillHTMLTemplate(LoadHTMLTemplate(&unreadable), width, height, moviePath.filename().string()) + "\r\n";
  Result<void> written = fileio::WriteAtomic(page, Bytes(text));
  if (!written)
    ui::Current().messages->message("エラー", written.message() + "\r\nSWFファイルは保存されました。",
                                    ui::Icon::Critical);
  else
    TellBuiltInPage(unreadable);
  return written;
}

void TellBuiltInPage(const std::string& unreadable) {
  if (unreadable.empty()) return;
  ui::Current().messages->message("警告", unreadable + "\r\nHTMLファイルは組み込みのページで書き出しました。",
                                  ui::Icon::Exclamation);
}

Result<std::filesystem::path> MakeHTMLTemplateForEditing() {
  const std::filesystem::path file = State().paths.config / kHtmlTemplateFile;
  if (fileio::Exists(file)) return file;
  if (Result<void> written = fileio::WriteAtomic(file, Bytes(BuiltInPage() + "\r\n")); !written)
    return Failure{written.message()};
  return file;
}

}  // namespace tesmiro::GUICore
