#pragma once
// Text encodings at the edges of the program. Everything in memory is UTF-8;
// Windows-side bytes (project files, SWF 4 strings) are code page 932.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmiro::enc {

// UTF-8 -> CP932. Empty optional when a character has no CP932 form
// (never silently replaced by '?').
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// CP932 -> UTF-8. Bytes that are not valid CP932 become U+FFFD, so that a
// damaged file still loads.
std::string Cp932ToUtf8(std::string_view cp932);

bool IsValidUtf8(std::string_view bytes);

// A text file given to us as material or script include: a UTF-8 BOM or
// valid non-ASCII UTF-8 means UTF-8, anything else is CP932. BOM removed.
std::string DecodeTextFile(std::string_view bytes);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, uint32_t codePoint);

// Equal but for the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Number of characters (code points) of a UTF-8 text.
std::size_t CharCount(std::string_view utf8);

// Line breaks: CR LF everywhere the program counts lines.
std::string ToCrLf(std::string_view text);
std::string ToLf(std::string_view text);

}  // namespace tesmiro::enc
