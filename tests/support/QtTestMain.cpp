// Test main for tests that need a QApplication: offscreen unless a display
// platform was asked for. The window's tests run under morvane's own
// application class, with its barrier around the event loop. The user's
// settings (QSettings) go to a folder of the test run's own, removed at its
// end: a test never reads what the user or another run left.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
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
  const QTemporaryDir settings;
  for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, settings.path());
  return RUN_ALL_TESTS();
}
