// The main() of every GUI test program: one QApplication for the whole run
// (offscreen, fixed DPI unless the environment says otherwise), then the
// tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  // Tests of the real web player (named Ruffle*, labelled ruffle) run on the
  // X server when there is one (CI runs ctest under Xvfb).
  const char* display = std::getenv("DISPLAY");
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--gtest_filter=Ruffle", 21) == 0 && display && *display)
      setenv("QT_QPA_PLATFORM", "xcb", 0);
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Offscreen tests have no use for a display, and the web engine, which
  // every window program links, would otherwise open it and keep a block
  // of memory the leak checker cannot place.
  if (std::strcmp(std::getenv("QT_QPA_PLATFORM"), "offscreen") == 0) unsetenv("DISPLAY");
  if (!std::getenv("QT_FONT_DPI")) setenv("QT_FONT_DPI", "96", 1);
  // Without a session bus, D-Bus would start one for the X display by
  // forking this many-threaded process; under the sanitizers the child can
  // stop for good on an allocator lock that another thread held, and the
  // test waits on it until it times out. An address that refuses at once
  // keeps D-Bus from forking.
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tesmiro-test-bus", 0);
  // The web engine's sandbox cannot start as root (CI). Its shared GL
  // contexts come when the player's library is loaded, as in the program.
  if (::geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
