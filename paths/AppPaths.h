#pragma once
// Where the programs read their read-only files and where they write.
//
// Two layouts exist:
// - a portable folder: the programs with every file they need beside them
//   (a build tree's bin/, or a copy of it anywhere);
// - an installed tree: the programs in PREFIX/bin and the read-only files
//   (bitmaps, LED catalogue, user guide) in PREFIX/share/morvane, as
//   `cmake --install` and the Debian package lay them out.
//
// A portable folder that can be written keeps everything, as it always has:
// fonts/, temp.wav and HidLog.txt sit beside the programs. Everywhere else
// (a portable folder that cannot be written, and every installed tree, even
// one whose bin/ happens to be writable, such as /usr/bin for root or
// ~/.local/bin) each file goes to the user's standard place: fonts and the
// HID log under the data location (~/.local/share/morvane), temp.wav under
// the cache location (~/.cache/morvane). An installed program thus never
// writes into its prefix, whoever runs it.
//
// The decision lives here and nowhere else; the window, morvane-cli and
// brelka only ask for the folders. It uses Qt Core for QStandardPaths and
// no window code, which keeps fileio free of Qt.

#include <string>

namespace paths {

// A file of the application folder that both programs need: its presence
// beside the program marks a portable folder.
inline constexpr const char* kMarkerFile = "taldrix_small.bmp";
// The per-user folders' name under the data and cache locations.
inline constexpr const char* kUserFolderName = "morvane";
// The files the programs write, by name (the font store names its own
// "fonts" folder inside the user folder).
inline constexpr const char* kHidLogName = "HidLog.txt";
inline constexpr const char* kScratchWavName = "temp.wav";

struct AppPaths {
  std::string programFolder;  // the folder of the program file
  std::string dataFolder;     // read-only files: bitmaps, LED catalogue, user guide
  std::string userFolder;     // what the programs keep: fonts/, HidLog.txt
  std::string cacheFolder;    // scratch files: temp.wav
  bool perUser = false;       // userFolder and cacheFolder are the user's standard places

  std::string HidLogFile() const { return userFolder + "/" + kHidLogName; }
};

// The folders for a program whose file sits in programFolder.
AppPaths ResolveAppPaths(const std::string& programFolder);

// Everything in one folder: what a writable portable folder gets, and what
// tests of the window use with a folder of their own.
AppPaths PortableAppPaths(const std::string& folder);

// Whether the programs may create files in folder. The permission bits
// (access) answer for an ordinary user but say yes to root everywhere, and
// know nothing of network file systems or security modules; so a file is
// then really created (under a unique name) and removed again. A folder on
// a read-only file system or marked immutable (chattr +i) fails either
// step, for root as well.
bool FolderIsWritable(const std::string& folder);

// The folder where a browser or a file dialog starts: the user folder when
// it exists, else the home folder.
std::string StartFolder(const AppPaths& paths);

// folder + "/" + name, with folder made (and its parents) when missing, so
// the caller can write the file. The path is returned either way; a folder
// that cannot be made shows as the write's own failure.
std::string PrepareFileIn(const std::string& folder, const std::string& name);

}  // namespace paths
