#pragma once
// The sound configuration: one boot, power-on, power-off and idle sound and
// up to 12 motion, impact and lock-up sounds, the running sample total
// against the board's capacity, the coding and flash addresses of every
// file, and the file table that tells the board where each sound lies.
//
// Flash layout: the file table at Nr_Base (12), the coded files from 512 in
// the order boot, power-on, power-off, idle, motion, impact, lock-up, each
// file followed by one skipped byte.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sound/LSU_SoundFile.h"
#include "sound/SoundCategories.h"

namespace seams {
class EventPump;
class WindowHooks;
}  // namespace seams

namespace sound {

class LSU_Configuration {
 public:
  static constexpr int32_t kMaxListFiles = 12;
  static constexpr int32_t Nr_Base = 12;                 // flash address of the file table
  static constexpr int32_t kFirstFileAddress = 512;      // flash address of the boot sound
  static constexpr int32_t kMaxFlashAddress = 0xFFFFFF;  // the table's fields are 24 bits

  // Sound capacity of the connected board in samples; set by the owner.
  int32_t MaxNrOfSamples = 0;

  int32_t NrOfMt() const { return motion_.count; }
  int32_t NrOfImp() const { return impact_.count; }
  int32_t NrOfLk() const { return lockup_.count; }
  // Sum of NrOfSamples over every loaded file.
  int64_t TotalNrOfSamples() const { return total_; }

  // Loads an LSU file into a category: a single category's file is
  // replaced, a list gets it at its end. False when the file is not valid,
  // the list is full or FileType is not 1..7; nothing changes then.
  bool AddFile(const std::string& FileName, int FileType);
  // Empties a single category (FileNumber ignored) or removes the file at
  // the 0-based FileNumber of a list, the later files moving down with their
  // volumes. Does nothing for FileNumber -1 or a number beyond the list.
  void RemoveFile(int FileNumber, int FileType);
  // The files of a category without their coded bytes: a single
  // category's one slot (empty or not, with its volume), a list's files in
  // order. Empty for an unknown category.
  std::vector<LSU_SoundFile> Contents(int FileType) const;
  // Puts a category back as Contents gave it, files, volumes and sample
  // total; a list takes at most kMaxListFiles. The files are not read
  // again. Unknown category: nothing.
  void SetContents(int FileType, const std::vector<LSU_SoundFile>& files);
  // The code of the first missing category in flash order, 0 when complete.
  int16_t CheckIntegrity() const;

  // Codes every loaded file in flash order, reporting "N %" of the samples
  // coded after each file and letting window events run about every 15 ms,
  // then assigns the flash addresses. False when `cancelled` (asked after
  // each file) stops it (no addresses are assigned then), when a file can
  // no longer be read as it was added, or when the coded files run past the
  // file table's 24-bit addresses.
  bool MakeMemoryMap(seams::WindowHooks& hooks, seams::EventPump& pump,
                     const std::function<bool()>& cancelled = nullptr);

  // The file of a single category (FileNumber ignored) or at the 1-based
  // FileNumber of a list; out_of_range for an unknown category or number.
  const LSU_SoundFile& GetFile(int FileType, int FileNumber) const;
  // How many files a category holds: 0 or 1 for a single category.
  int32_t Count(int FileType) const;

  // Every file slot of the flash layout in flash order: the four single
  // files (loaded or not), then the files of each list.
  std::vector<const LSU_SoundFile*> FilesInFlashOrder() const;

  // NrOfMt, NrOfImp, NrOfLk, 0, then address and coded length of every
  // file in flash order as 24-bit big-endian numbers, then the 16-bit byte
  // sum of all that, high byte first: 6 x (list files) + 30 bytes.
  std::vector<uint8_t> GetFileTable() const;

  // Volume of a file (index: 1-based number in a list, ignored otherwise);
  // 0 for an unknown category or number.
  int16_t GetVolume(int FileType, int index) const;
  // Sets a file's volume, rounded (halves to even) and held to 0..100 so the
  // coded magnitudes stay within their 10 bits. Unknown category or number:
  // nothing.
  void SetVolume(int FileType, int index, double Value);

  // Named by the system's interface: the program reaches every file
  // through GetFile. The Get...File forms take the 1-based FileNumber
  // (1..12) of a list; out_of_range for any other number.
  const LSU_SoundFile& BootFile() const { return boot_; }
  const LSU_SoundFile& PwrOnFile() const { return pwrOn_; }
  const LSU_SoundFile& PwrOffFile() const { return pwrOff_; }
  const LSU_SoundFile& IdleFile() const { return idle_; }
  const LSU_SoundFile& GetMtFile(int FileNumber) const { return GetFile(kMotion, FileNumber); }
  const LSU_SoundFile& GetImpFile(int FileNumber) const { return GetFile(kImpact, FileNumber); }
  const LSU_SoundFile& GetLkFile(int FileNumber) const { return GetFile(kLockup, FileNumber); }

 private:
  struct List {
    std::array<LSU_SoundFile, kMaxListFiles> files;
    int32_t count = 0;
  };

  const LSU_SoundFile* Slot(int FileType, int FileNumber) const;
  LSU_SoundFile* Slot(int FileType, int FileNumber);
  List* ListOf(int FileType);
  const List* ListOf(int FileType) const;
  std::vector<LSU_SoundFile*> MutableFilesInFlashOrder();

  LSU_SoundFile boot_, pwrOn_, pwrOff_, idle_;
  List motion_, impact_, lockup_;
  int64_t total_ = 0;
};

}  // namespace sound
