// The file filters of the system's dialogs as Qt's file dialogs take them.

#include <gtest/gtest.h>

#include "widgets/QtDialogs.h"

namespace {

TEST(QtFilter, SystemFilterBecomesQtFilter) {
  EXPECT_EQ(
      widgets::ToQtFilter("Duded Avori Configuration File (*.LSCFG)|*.lscfg|All files (*.*)|*.*"),
      "Duded Avori Configuration File (*.LSCFG) (*.lscfg *.LSCFG);;All files (*.*) (*)");
}

}  // namespace
