#include <gtest/gtest.h>

#include "devlink/BoardKind.h"

namespace {

TEST(BoardKind, EveryRowOfTheTable) {
  struct Row {
    int id;
    const char* caption;
    int type, capacity, fw;
  };
  const Row rows[] = {
      {0, "Kestrane USB Serial Number: ", 0, 2793120, 0},
      {32, "Kestrane USB Serial Number: ", 0, 2793120, 0},
      {64, "Kestrane USB 64 Serial Number: ", 0, 5589300, 0},
      {4096, "Kestrane USB2 Serial Number: ", 0, 2793120, 0},
      {4388, "Kestrane USB2 Serial Number: ", 0, 2793120, 292},
      {8191, "Kestrane USB2 Serial Number: ", 0, 2793120, 4095},
      {65535, "Kestrane USB2 Serial Number: ", 0, 2793120, 293},
      {8192, "Kestrane LED Driver Serial Number: ", 1, 0, 0},
      {256, "Kestrane LED Driver Serial Number: ", 1, 0, 0},
      {1, "Kestrane LED Driver Serial Number: ", 1, 0, 0},
  };
  for (const Row& r : rows) {
    const auto k = devlink::IdentifyBoard(r.id);
    EXPECT_EQ(k.caption, r.caption) << r.id;
    EXPECT_EQ(k.deviceType, r.type) << r.id;
    EXPECT_EQ(k.capacity, r.capacity) << r.id;
    EXPECT_EQ(k.fwVersion, r.fw) << r.id;
  }
}

}  // namespace
