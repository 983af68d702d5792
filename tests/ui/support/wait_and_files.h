#pragma once
// Waiting on the real web player, and a material file the player tests build on.
#include <filesystem>
#include <functional>

namespace tesmiro::testing {

// Lets the event loop run until `done` answers true; false after `ms`.
bool WaitUntil(const std::function<bool()>& done, int ms = 30000);

// A red 40-pixel square in a vector file of the program's own format.
void WriteRedSquareKvg(const std::filesystem::path& path);

}  // namespace tesmiro::testing
