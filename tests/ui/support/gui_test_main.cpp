// The main() of every GUI test program: one QApplication for the whole run
// (offscreen, fixed DPI unless the environment says otherwise), then the
// tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool FilterStartsWith(int argc, char** argv, const char* prefix) {
  const std::string wanted = std::string("--gtest_filter=") + prefix;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], wanted.c_str(), wanted.size()) == 0) return true;
  }
  return false;
}

// The exit code that CTest reads as a skip (SKIP_RETURN_CODE of the X tests).
constexpr int kSkipped = 77;

}  // namespace

int main(int argc, char** argv) {
  // Tests of the real web player (named Ruffle*, labelled ruffle) and of the
  // X platform (named OnX*, labelled xserver) run on the X server when there
  // is one (CI runs ctest under Xvfb).
  const char* display = std::getenv("DISPLAY");
  const bool onX = FilterStartsWith(argc, argv, "OnX");
  if ((onX || FilterStartsWith(argc, argv, "Ruffle")) && display && *display) setenv("QT_QPA_PLATFORM", "xcb", 0);
  // The real player on a display that offers no OpenGL (a remote X server
  // without GLX).
  if (FilterStartsWith(argc, argv, "RuffleWithoutOpenGL")) setenv("QT_XCB_GL_INTEGRATION", "none", 1);
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
  // The X tests check what only the X platform shows (popups that hold the
  // keyboard, focus, the shortcut map). Without it they cannot: a failure
  // in CI, elsewhere a skip that says why. Any other run leaves them out
  // (their checks also run under their plain names).
  if (onX && !GTEST_FLAG_GET(list_tests) && QGuiApplication::platformName() != QLatin1String("xcb")) {
    std::fprintf(stderr, "tests named OnX* need the X server (DISPLAY); this run has the %s platform\n",
                 qPrintable(QGuiApplication::platformName()));
    return std::getenv("TESMIRO_CI") ? 1 : kSkipped;
  }
  if (!onX) {
    std::string filter = GTEST_FLAG_GET(filter);
    GTEST_FLAG_SET(filter, filter + (filter.find('-') == std::string::npos ? "-" : ":") + "OnX*");
  }
  return RUN_ALL_TESTS();
}
