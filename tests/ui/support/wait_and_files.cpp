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

bool WaitForPlayerTime(player::FlashHost& host, int ms, int timeoutMs) {
  auto* view = qobject_cast<player::RuffleFlashView*>(&host);
  if (!view) return false;
  static int clocks = 0;
  const QString clock = QStringLiteral("window.__testPlayerClock%1").arg(++clocks);
  view->runScript(QStringLiteral("(() => {"
                                 "  const c = %1 = {frames: 0, start: performance.now(), now: 0, done: false};"
                                 "  const tick = (t) => {"
                                 "    if (c.done) return;"
                                 "    c.frames += 1;"
                                 "    c.now = t;"
                                 "    requestAnimationFrame(tick);"
                                 "  };"
                                 "  requestAnimationFrame(tick);"
                                 "})()")
                      .arg(clock));
  const QString ask =
      QStringLiteral("(() => { const c = %1; c.done = c.frames >= 3 && c.now - c.start >= %2; return c.done; })()")
          .arg(clock)
          .arg(ms);
  // The answers come after this returns when the wait runs out.
  struct Answer {
    bool asking = false;
    bool there = false;
  };
  auto answer = std::make_shared<Answer>();
  // Asked now and then, not in a stream that would keep the page busy.
  QElapsedTimer sinceAsked;
  return WaitUntil(
      [&] {
        if (!answer->asking && !answer->there && (!sinceAsked.isValid() || sinceAsked.elapsed() >= 50)) {
          sinceAsked.start();
          answer->asking = true;
          view->runScript(ask, [answer](const QVariant& r) {
            answer->asking = false;
            answer->there = r.toBool();
          });
        }
        return answer->there;
      },
      timeoutMs);
}

void WriteRedSquareKvg(const std::filesystem::path& path) {
  std::ofstream f(path, std::ios::binary);
  const int32_t red = 255 | (255u << 24);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,0,1," << red << ",0,0,0,1,1,0,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

}  // namespace tesmiro::testing
