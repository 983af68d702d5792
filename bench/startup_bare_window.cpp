// The reference of the start-up benchmark: a bare Qt Widgets window of the
// main window's size, with nothing in it, started and timed the same way
// (it prints the clock when it has painted and its event loop is idle).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (!painted_ && event->type() == QEvent::Paint) {
      painted_ = true;
      QTimer::singleShot(0, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        std::quick_exit(0);
      });
    }
    return false;
  }

 private:
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.resize(800, 600);
  FirstPaint watch;
  window.installEventFilter(&watch);
  window.show();
  return app.exec();
}
