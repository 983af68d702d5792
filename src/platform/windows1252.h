#pragma once
// Texts that went through the wrong code page. Web players read the strings
// of SWF 4 and 5 movies as Windows-1252, while this program writes them in
// code page 932; the bytes survive that reading and are taken back here.
#include <optional>
#include <string>
#include <string_view>

namespace tesmiro::enc {

// The Windows-1252 bytes (as the web's encoding standard maps them, every
// byte to one character) of a UTF-8 text; nothing when a character has no
// such byte.
std::optional<std::string> Windows1252Bytes(std::string_view utf8);

// A text read as Windows-1252 that really was code page 932, as UTF-8.
// Texts that cannot have come that way (a character outside Windows-1252,
// bytes that are not code page 932) come back unchanged.
std::string RecoverCp932(std::string_view misread);

}  // namespace tesmiro::enc
