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

// Lets the web player's page draw `frames` animation frames from now. The
// player ticks on that clock, so a held movie has had as many chances to
// move, however slow the machine. False after `ms`, or when `host` is not
// the web player.
bool WaitForPageFrames(player::FlashHost* host, int frames, int ms = 30000);

// A red 40-pixel square in a vector file of the program's own format.
void WriteRedSquareKvg(const std::filesystem::path& path);

}  // namespace tesmiro::testing
