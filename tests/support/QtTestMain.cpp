// Test main for tests that need a QApplication: offscreen unless a display
// platform was asked for. The window's tests run under morvane's own
// application class, with its barrier around the event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#ifdef MORVANE_APPLICATION
#include "app/Application.h"
using TestApplication = app::Application;
#else
using TestApplication = QApplication;
#endif

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") || !*std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::testing::InitGoogleTest(&argc, argv);
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
