// The test program's start: the web engine needs shared GL contexts before
// the application exists, and its sandbox cannot start as root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>

int main(int argc, char** argv) {
  // Tests of the real player run on the X server when there is one (CI runs
  // them under Xvfb); everything runs on the offscreen platform otherwise,
  // test discovery in the build included.
  const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
  if (qEnvironmentVariableIsSet("TESMIRO_RUFFLE_TEST") && display) qputenv("QT_QPA_PLATFORM", "xcb");
  if (!display) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
