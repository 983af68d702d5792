#include "support/wait_and_files.h"

#include <QElapsedTimer>
#include <QTest>
#include <QVariant>
#include <cstdint>
#include <fstream>
#include <memory>

#include "ui/player/ruffle_flash_view.h"

namespace tesmiro::testing {

bool WaitUntil(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }

void WriteRedSquareKvg(const std::filesystem::path& path) {
  std::ofstream f(path, std::ios::binary);
  const int32_t red = 255 | (255u << 24);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,0,1," << red << ",0,0,0,1,1,0,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

}  // namespace tesmiro::testing
