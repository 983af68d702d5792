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

// Ends the process that runs the web player's page of `host` at once, as
// the system ends one that runs out of memory. False when `host` is not the
// web player or its page has no process.
bool EndPageProcess(player::FlashHost* host);

// A red 40-pixel square in a vector file of the program's own format.
void WriteRedSquareKvg(const std::filesystem::path& path);

}  // namespace tesmiro::testing
