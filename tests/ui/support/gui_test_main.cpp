// The main() of every GUI test program: one QApplication for the whole run
// (offscreen, fixed DPI unless the environment says otherwise), then the
// tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("QT_FONT_DPI")) setenv("QT_FONT_DPI", "96", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
