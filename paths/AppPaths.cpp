#include "paths/AppPaths.h"

#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <filesystem>

namespace paths {

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// A standard location + "/morvane": the same folders for every program of
// the project, whatever name Qt knows the running program by.
std::string UserPlace(QStandardPaths::StandardLocation location) {
  return QStandardPaths::writableLocation(location).toStdString() + "/" + kUserFolderName;
}

}  // namespace

AppPaths PortableAppPaths(const std::string& folder) {
  return {folder, folder, folder, folder, false};
}

AppPaths ResolveAppPaths(const std::string& programFolder) {
  // ../share/morvane, unless the build chose other install folders.
  const std::string installedData = programFolder + "/" + MORVANE_DATA_FROM_BIN;
  const bool installed = !IsFile(programFolder + "/" + kMarkerFile) && IsDirectory(installedData);
  if (!installed && FolderIsWritable(programFolder)) return PortableAppPaths(programFolder);
  AppPaths p;
  p.programFolder = programFolder;
  std::error_code error;
  const fs::path data = fs::weakly_canonical(installedData, error);
  p.dataFolder = !installed ? programFolder : error ? installedData : data.string();
  p.userFolder = UserPlace(QStandardPaths::GenericDataLocation);
  p.cacheFolder = UserPlace(QStandardPaths::GenericCacheLocation);
  p.perUser = true;
  return p;
}

bool FolderIsWritable(const std::string& folder) {
  if (folder.empty() || access(folder.c_str(), W_OK | X_OK) != 0) return false;
  std::string probe = folder + "/.morvane-write-probe-XXXXXX";
  const int fd = mkstemp(probe.data());
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

std::string StartFolder(const AppPaths& paths) {
  return IsDirectory(paths.userFolder) ? paths.userFolder : QDir::homePath().toStdString();
}

std::string PrepareFileIn(const std::string& folder, const std::string& name) {
  std::error_code error;
  fs::create_directories(folder, error);
  return folder + "/" + name;
}

}  // namespace paths
