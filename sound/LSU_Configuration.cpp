#include "sound/LSU_Configuration.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "seams/EventPump.h"
#include "seams/WindowHooks.h"
#include "text/NumberReading.h"

namespace sound {

namespace {

// Byte n of a 32-bit value, 0 the least significant; 0 for n outside 0..3.
uint8_t ExtractByte(uint32_t value, int n) {
  return n >= 0 && n <= 3 ? static_cast<uint8_t>(value >> (8 * n)) : 0;
}

void Put24(std::vector<uint8_t>& table, size_t at, int32_t value) {
  for (int n = 2; n >= 0; --n) table[at++] = ExtractByte(static_cast<uint32_t>(value), n);
}

// Progress of the coding: the share of the samples coded, and as the label
// the whole percent (halves to even) followed by " %".
void ShowProgress(seams::WindowHooks& hooks, int64_t done, int64_t total) {
  const double percent = total > 0 ? double(done) * 100 / double(total) : 0;
  hooks.SetPercentComplete(percent);
  hooks.SetPercentLabel(std::to_string(static_cast<int64_t>(text::RoundHalfEven(percent))) + " %");
}

}  // namespace

const LSU_Configuration::List* LSU_Configuration::ListOf(int FileType) const {
  switch (FileType) {
    case kMotion:
      return &motion_;
    case kImpact:
      return &impact_;
    case kLockup:
      return &lockup_;
    default:
      return nullptr;
  }
}

LSU_Configuration::List* LSU_Configuration::ListOf(int FileType) {
  return const_cast<List*>(std::as_const(*this).ListOf(FileType));
}

const LSU_SoundFile* LSU_Configuration::Slot(int FileType, int FileNumber) const {
  switch (FileType) {
    case kBoot:
      return &boot_;
    case kPwrOn:
      return &pwrOn_;
    case kPwrOff:
      return &pwrOff_;
    case kIdle:
      return &idle_;
  }
  const List* list = ListOf(FileType);
  if (!list || FileNumber < 1 || FileNumber > kMaxListFiles) return nullptr;
  return &list->files[static_cast<size_t>(FileNumber - 1)];
}

LSU_SoundFile* LSU_Configuration::Slot(int FileType, int FileNumber) {
  return const_cast<LSU_SoundFile*>(std::as_const(*this).Slot(FileType, FileNumber));
}

const LSU_SoundFile& LSU_Configuration::GetFile(int FileType, int FileNumber) const {
  const LSU_SoundFile* file = Slot(FileType, FileNumber);
  if (!file)
    throw std::out_of_range("no sound file " + std::to_string(FileNumber) + " in category " +
                            std::to_string(FileType));
  return *file;
}

int32_t LSU_Configuration::Count(int FileType) const {
  if (const List* list = ListOf(FileType)) return list->count;
  if (!FindCategory(FileType)) return 0;
  return GetFile(FileType, 0).NrOfSamples > 0 ? 1 : 0;
}

bool LSU_Configuration::AddFile(const std::string& FileName, int FileType) {
  if (!FindCategory(FileType)) return false;
  List* list = ListOf(FileType);
  if (list && list->count == kMaxListFiles) return false;
  LSU_SoundFile fresh;
  if (!fresh.ReadFile(FileName)) return false;
  LSU_SoundFile* slot = Slot(FileType, list ? list->count + 1 : 0);
  total_ += fresh.NrOfSamples - slot->NrOfSamples;
  *slot = std::move(fresh);
  if (list) ++list->count;
  return true;
}

void LSU_Configuration::RemoveFile(int FileNumber, int FileType) {
  if (FileNumber == -1 || !FindCategory(FileType)) return;
  List* list = ListOf(FileType);
  if (!list) {
    LSU_SoundFile* file = Slot(FileType, 0);
    total_ -= file->NrOfSamples;
    file->Clear();
    return;
  }
  if (FileNumber < 0 || FileNumber + 1 > list->count) return;
  auto& files = list->files;
  total_ -= files[static_cast<size_t>(FileNumber)].NrOfSamples;
  // The later files move down one number with all their state; the freed
  // slot at the end becomes a fresh, empty file.
  std::move(files.begin() + FileNumber + 1, files.begin() + list->count,
            files.begin() + FileNumber);
  files[static_cast<size_t>(--list->count)] = LSU_SoundFile{};
}

std::vector<LSU_SoundFile> LSU_Configuration::Contents(int FileType) const {
  std::vector<LSU_SoundFile> files;
  if (!FindCategory(FileType)) return files;
  const List* list = ListOf(FileType);
  const int32_t count = list ? list->count : 1;
  for (int32_t k = list ? 1 : 0; files.size() < size_t(count); ++k)
    files.push_back(GetFile(FileType, k).Uncoded());
  return files;
}

void LSU_Configuration::SetContents(int FileType, const std::vector<LSU_SoundFile>& files) {
  if (!FindCategory(FileType)) return;
  List* list = ListOf(FileType);
  if (!list) {
    LSU_SoundFile* slot = Slot(FileType, 0);
    total_ -= slot->NrOfSamples;
    *slot = files.empty() ? LSU_SoundFile{} : files.front();
    total_ += slot->NrOfSamples;
    return;
  }
  for (size_t k = 0; k < list->files.size(); ++k) {
    LSU_SoundFile& slot = list->files[k];
    if (int32_t(k) < list->count) total_ -= slot.NrOfSamples;
    slot = k < files.size() ? files[k] : LSU_SoundFile{};
    if (k < files.size()) total_ += slot.NrOfSamples;
  }
  list->count = int32_t(std::min(files.size(), list->files.size()));
}

int16_t LSU_Configuration::CheckIntegrity() const {
  for (const auto& category : kCategoriesInFlashOrder)
    if (Count(category.code) == 0) return category.code;
  return 0;
}

std::vector<const LSU_SoundFile*> LSU_Configuration::FilesInFlashOrder() const {
  std::vector<const LSU_SoundFile*> files = {&boot_, &pwrOn_, &pwrOff_, &idle_};
  for (const List* list : {&motion_, &impact_, &lockup_})
    for (int32_t k = 0; k < list->count; ++k) files.push_back(&list->files[size_t(k)]);
  return files;
}

std::vector<LSU_SoundFile*> LSU_Configuration::MutableFilesInFlashOrder() {
  std::vector<LSU_SoundFile*> files;
  for (const LSU_SoundFile* f : FilesInFlashOrder()) files.push_back(const_cast<LSU_SoundFile*>(f));
  return files;
}

bool LSU_Configuration::MakeMemoryMap(seams::WindowHooks& hooks, seams::EventPump& pump,
                                      const std::function<bool()>& cancelled) {
  seams::EventPacer pacer(pump);
  int64_t done = 0;
  ShowProgress(hooks, done, total_);
  const std::vector<LSU_SoundFile*> files = MutableFilesInFlashOrder();
  for (LSU_SoundFile* file : files) {
    if (file->NrOfSamples == 0) {
      file->Clear();  // an empty single category takes no coded bytes
      continue;
    }
    if (!file->Code(&pacer)) return false;
    done += file->NrOfSamples;
    ShowProgress(hooks, done, total_);
    pacer.Tick();
    if (cancelled && cancelled()) return false;
  }
  std::vector<int32_t> addresses;
  int64_t address = kFirstFileAddress;
  for (const LSU_SoundFile* file : files) {
    if (address + std::max(file->NrOfBytes - 1, 0) > kMaxFlashAddress) return false;
    addresses.push_back(static_cast<int32_t>(address));
    address += file->NrOfBytes + 1;
  }
  for (size_t i = 0; i < files.size(); ++i) files[i]->Address = addresses[i];
  return true;
}

std::vector<uint8_t> LSU_Configuration::GetFileTable() const {
  const std::vector<const LSU_SoundFile*> files = FilesInFlashOrder();
  std::vector<uint8_t> table(6 * (files.size() - 4) + 30);
  table[0] = static_cast<uint8_t>(motion_.count);
  table[1] = static_cast<uint8_t>(impact_.count);
  table[2] = static_cast<uint8_t>(lockup_.count);
  size_t at = 4;
  for (const LSU_SoundFile* file : files) {
    Put24(table, at, file->Address);
    Put24(table, at + 3, file->NrOfBytes);
    at += 6;
  }
  const uint32_t sum = ByteSum16(table.data(), at);
  table[at] = ExtractByte(sum, 1);
  table[at + 1] = ExtractByte(sum, 0);
  return table;
}

int16_t LSU_Configuration::GetVolume(int FileType, int index) const {
  const LSU_SoundFile* file = Slot(FileType, index);
  return file ? file->Volume : 0;
}

void LSU_Configuration::SetVolume(int FileType, int index, double Value) {
  if (LSU_SoundFile* file = Slot(FileType, index))
    file->Volume = text::RoundAndClamp<int16_t>(Value, 0, 100);
}

}  // namespace sound
