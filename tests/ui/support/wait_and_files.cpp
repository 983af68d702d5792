#include "support/wait_and_files.h"

#include <QElapsedTimer>
#include <QTest>
#include <cstdint>
#include <fstream>

namespace tesmiro::testing {

// The event loop keeps running between the checks, as the program's own
// does: the web engine's messages and the player's requests to the
// program's own server are served at once. (QTest::qWaitFor sleeps between
// its checks, which under load held back the player's loads and commands.)
bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QTest::qWait(10);
  }
  return true;
}

void WriteRedSquareKvg(const std::filesystem::path& path) {
  std::ofstream f(path, std::ios::binary);
  const int32_t red = 255 | (255u << 24);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,0,1," << red << ",0,0,0,1,1,0,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

}  // namespace tesmiro::testing
