#pragma once
// Waiting on the real web player, and a material file the player tests build on.
#include <filesystem>
#include <functional>

namespace tesmiro::player {
class FlashHost;
}

namespace tesmiro::testing {

// Lets the event loop run until `done` answers true; false after `ms`.
bool WaitUntil(const std::function<bool()>& done, int ms = 30000);

// Lets the real player's page run on until it has drawn three animation
// frames and its own clock has passed `ms`: the time a movie that still
// moved would need to show it, counted where the movie runs. A busy machine
// may leave the page standing for a while, and a movie that was never given
// the chance to move would look held. False when `host` is not the real
// player or its page does not get there within `timeoutMs`.
bool WaitForPlayerTime(player::FlashHost& host, int ms, int timeoutMs = 30000);

// A red 40-pixel square in a vector file of the program's own format.
void WriteRedSquareKvg(const std::filesystem::path& path);

}  // namespace tesmiro::testing
