// Conversions run two at a time, so a descriptor closed twice is not a
// harmless slip: between the two closes the other thread may open a file
// under the same number, and the second close takes it away ("Bad file
// descriptor" in the middle of another recording). This test binary takes
// the place of close() and counts every close of a descriptor that was not
// open.

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sndfile.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "converter/AudioConversion.h"
#include "tests/converter/AudioFixtures.h"
#include "tests/sound/SoundTestFiles.h"

namespace {
std::atomic<int> closedTwice{0};
}  // namespace

extern "C" int close(int fd) {
  const long result = syscall(SYS_close, fd);
  if (result != 0 && errno == EBADF) ++closedTwice;
  return static_cast<int>(result);
}

namespace {

TEST(AudioConversionDescriptors, EveryDescriptorIsClosedOnce) {
  sound_test::TempFolder dir;
  const std::string bad = dir.Path("notes.wav"), good = dir.Path("tone.wav");
  sound_test::WriteBytes(bad, "not a recording");
  testing_support::WriteSound(good, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                              std::vector<float>(2 * 4410, 0.25f));
  const int before = closedTwice;
  EXPECT_FALSE(converter::ConvertToLsu(bad, dir.Path("bad.lsu")).Ok());
  EXPECT_TRUE(converter::ConvertToLsu(good, dir.Path("good.lsu")).Ok());
  EXPECT_EQ(closedTwice - before, 0);
}

}  // namespace
