#pragma once
// The end of a timed start: watches a window for its first paint and, on
// the next turn of the event loop after it (the window has painted and the
// program has nothing more to do), notes the clock, waits until the display
// server has taken everything the program sent it (the first frame is on
// the screen: with X the image is copied into the window only then, which
// on a slow server is a good part of a start) and notes the clock again.
// It prints both clocks, in nanoseconds of the steady clock, and ends the
// process. The program and the bare window of the start-up benchmark both
// end this way.
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tesmiro::bench {

class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (!painted_ && event->type() == QEvent::Paint) {
      painted_ = true;
      QTimer::singleShot(0, [] {
        const long long idle = Now();
        QGuiApplication::sync();
        std::printf("%lld %lld\n", idle, Now());
        std::fflush(stdout);
        std::quick_exit(0);
      });
    }
    return false;
  }

 private:
  static long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  bool painted_ = false;
};

}  // namespace tesmiro::bench
