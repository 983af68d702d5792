// Saves a picture of an X window, found by the smoke test, as PNG:
//   grab_window WINDOW-ID OUT.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s WINDOW-ID OUT.png\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QGuiApplication app(argc, argv);
  bool ok = false;
  const WId id = QString::fromLatin1(argv[1]).toULongLong(&ok, 0);
  if (!ok || !QGuiApplication::primaryScreen()) return 1;
  const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(id);
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) return 1;
  std::printf("%dx%d\n", picture.width(), picture.height());
  return 0;
}
