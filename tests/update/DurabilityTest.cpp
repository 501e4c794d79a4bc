// A power cut must never leave a font marked complete with an empty or
// half-written sound file: each download reaches the disk under its
// temporary name, and its new name reaches the disk, before the marker is
// written. Power cannot be cut in a test, so this test binary takes the
// place of fsync and fdatasync and notes what each was asked to flush, by
// the path the file descriptor has at that moment.

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/TempFiles.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateManager.h"

namespace {

std::mutex flushedLock;
std::vector<std::string> flushed;

void NoteFlush(int fd) {
  char path[4096];
  const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
  const std::lock_guard<std::mutex> guard(flushedLock);
  flushed.emplace_back(path, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

extern "C" int fsync(int fd) {
  NoteFlush(fd);
  return static_cast<int>(syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd) {
  NoteFlush(fd);
  return static_cast<int>(syscall(SYS_fdatasync, fd));
}

namespace {

TEST(Durability, SoundFilesReachTheDiskBeforeTheFontIsMarkedComplete) {
  const std::string app = testing_support::UniqueTempPath("durable_app");
  const std::string root = testing_support::UniqueTempPath("durable_root");
  std::filesystem::create_directories(app);
  testing_support::MakeServedFont(root, "Delta", {"D1.lsu", "D2.lsu"});
  {
    testing_support::FontServer server(root);
    testing_support::RecordingView view;
    update::UpdateManager manager(server.Host(), app, view);
    manager.Initialize(view);
    manager.deviceId = "0A1B2C3D";
    {
      const std::lock_guard<std::mutex> guard(flushedLock);
      flushed.clear();
    }
    manager.startUpdate();
    EXPECT_EQ(manager.LastOutcome(), update::UpdateOutcome::Updated);
  }
  const std::string font = std::filesystem::canonical(app + "/fonts/Delta").string();
  const std::lock_guard<std::mutex> guard(flushedLock);
  const auto at = [&](auto match) {
    return std::find_if(flushed.begin(), flushed.end(), match) - flushed.begin();
  };
  const auto lastAt = [&](auto match) {
    return flushed.rend() - std::find_if(flushed.rbegin(), flushed.rend(), match) - 1;
  };
  // A file being written is flushed under its temporary name beside its
  // place: ".NAME.<unique>.tmp".
  const auto isTemp = [&](const std::string& p) {
    return p.starts_with(font + "/.D") && p.find(".lsu.") != std::string::npos &&
           p.ends_with(".tmp");
  };
  const auto isFolder = [&](const std::string& p) { return p == font; };
  const auto isMarker = [&](const std::string& p) { return p.starts_with(font + "/.fnt"); };
  // Both downloads flushed under their temporary name, then the folder
  // that holds their new names, then the marker.
  EXPECT_EQ(std::count_if(flushed.begin(), flushed.end(), isTemp), 2);
  const auto marker = at(isMarker);
  const auto folderAfterItems =
      std::find_if(flushed.begin() + lastAt(isTemp), flushed.end(), isFolder) - flushed.begin();
  EXPECT_LT(folderAfterItems, marker);
  EXPECT_LT(marker, static_cast<decltype(marker)>(flushed.size()));
  std::filesystem::remove_all(app);
  std::filesystem::remove_all(root);
}

}  // namespace
