#include "support/wait_and_files.h"

#include <QElapsedTimer>
#include <QTest>
#include <cstdint>
#include <fstream>
#include <memory>
#include <signal.h>

#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_page.h"

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

bool WaitForPageFrames(player::FlashHost* host, int frames, int ms) {
  auto* view = qobject_cast<player::RuffleFlashView*>(host);
  if (!view) return false;
  // The page counts its own frames; one question is out at a time, so the
  // asking never crowds the page's work.
  view->runScript(QStringLiteral("(() => { const w = window; w.testFramesLeft = %1;"
                                 " const tick = () => { if (--w.testFramesLeft > 0) requestAnimationFrame(tick); };"
                                 " requestAnimationFrame(tick); return true; })()")
                      .arg(frames));
  // An answer may come after a timeout: it must find its state alive.
  struct Asking {
    bool out = false;
    int left;
  };
  auto state = std::make_shared<Asking>(Asking{false, frames});
  return WaitUntil(
      [&] {
        if (!state->out) {
          state->out = true;
          view->runScript(QStringLiteral("window.testFramesLeft"), [state](const QVariant& v) {
            if (v.isValid()) state->left = v.toInt();
            state->out = false;
          });
        }
        return state->left <= 0;
      },
      ms);
}

bool EndPageProcess(player::FlashHost* host) {
  auto* view = qobject_cast<player::RuffleFlashView*>(host);
  if (!view || !view->webPage()) return false;
  // The web engine's page is a child of its view and tells its process's
  // id as a property: the tests do not link the web engine.
  for (const QObject* o : view->webPage()->widget()->findChildren<QObject*>(Qt::FindDirectChildrenOnly)) {
    const qint64 pid = o->property("renderProcessPid").toLongLong();
    if (pid > 0) return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
  }
  return false;
}

void WriteRedSquareKvg(const std::filesystem::path& path) {
  std::ofstream f(path, std::ios::binary);
  const int32_t red = 255 | (255u << 24);
  f << "KVG030\r\n40\r\n40\r\n1\r\n";
  f << "3,#TRUE#,20,0,0,1," << red << ",0,0,0,1,1,0,#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0,800,0\r\n0,800,800\r\n0,0,800\r\n";
}

}  // namespace tesmiro::testing
