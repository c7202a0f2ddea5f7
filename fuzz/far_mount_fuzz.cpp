// Mounts a folder holding one archive made of arbitrary bytes, lists it and
// reads its members: nothing may crash, hang, overrun or allocate from an
// unread count, and whatever gets catalogued must be well-formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "filesystem/FileSystem.h"
#include "platform/HostEnv.h"
#include "fuzz/FuzzDrive.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckKey(const CTGString& key) {
  for (int32_t i = 0; i < key.Length(); ++i) Check(!(key[i] >= 'A' && key[i] <= 'Z') && key[i] != '/');
}

void ReadFile(FileSystem& fs, const CTGString& path, const FSEntry& entry) {
  if (entry.fInArchive) Check(fs.Open(path, true) == nullptr);
  FSFile* file = fs.Open(path, false);
  if (file == nullptr) return;
  char buffer[64];
  int32_t total = 0;
  for (int round = 0; round < 4; ++round) {
    const int32_t got = file->Read(buffer, sizeof buffer);
    Check(got >= 0 && got <= static_cast<int32_t>(sizeof buffer));
    total += got;
    if (got == 0) break;
  }
  if (file->InArchive()) {
    Check(file->Size() < 0 || total <= file->Size());
    Check(file->Write("x", 1) == 0);
    Check(!file->SeekExtend(1));
  }
  if (file->Size() >= 0 && file->Size() < 0x7FFFFFFF) {
    Check(!file->Seek(file->Size() + 1));
    file->Seek(file->Size());
  }
  fs.Close(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Removed with its files when the process exits. c:\x\ holds the archive
  // (x.far) and one disk file (chair.iff).
  static FuzzDrive drive("far-fuzz");
  static const bool kDiskFile = (drive.Write("chair.iff", std::string("disk chair")), true);
  (void)kDiskFile;
  drive.Write("x.far", data, size);

  FileSystem fs;
  Check(fs.Mount("c:\\x\\", false, true));
  int opened = 0;
  for (const auto& [folder, unused] : fs.GetCatalogue()) {
    CheckKey(folder);
    Check(!folder.IsEmpty() && folder[folder.Length() - 1] == '\\');
    FSFind find;
    CTGString previous;
    bool first = true;
    for (bool found = fs.FindFirst(folder + CTGString("*"), &find); found; found = fs.FindNext(&find)) {
      CheckKey(find.Name());
      Check(first || previous < find.Name());
      first = false;
      previous = find.Name();
      const CTGString path = find.Folder() + find.Name();
      Check(fs.Exists(path));
      FSEntry* entry = nullptr;
      Check(fs.Lookup(path, &entry) && entry->fIsFolder == find.IsFolder());
      if (!find.IsFolder() && opened < 8) {
        ++opened;
        Check(!find.Writable() || path == CTGString("c:\\x\\chair.iff"));
        ReadFile(fs, path, *entry);
      }
    }
  }
  Check(fs.Lookup("c:\\x\\chair.iff"));
  fs.CloseArchives();
  Check(fs.GetCatalogue().empty());
  return 0;
}
