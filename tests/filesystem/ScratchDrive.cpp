#include "tests/filesystem/ScratchDrive.h"

#include <algorithm>
#include <filesystem>

namespace {

class ListedEntries : public platform::FolderListing {
 public:
  ListedEntries(std::vector<platform::FolderEntry> entries, platform::FolderId identity)
      : fEntries(std::move(entries)), fIdentity(identity) {}
  bool Next(platform::FolderEntry* entry) override {
    if (fNext == fEntries.size()) return false;
    *entry = fEntries[fNext++];
    return true;
  }
  platform::FolderId Identity() const override { return fIdentity; }

 private:
  std::vector<platform::FolderEntry> fEntries;
  size_t fNext = 0;
  platform::FolderId fIdentity;
};

}  // namespace

std::unique_ptr<platform::FolderListing> ScratchDrive::TestEnv::ListFolder(std::string_view windowsFolder) {
  std::unique_ptr<platform::FolderListing> listing = HostEnvWrapper::ListFolder(windowsFolder);
  if (listing == nullptr || !fListBefore) return listing;
  std::vector<platform::FolderEntry> entries;
  platform::FolderEntry entry;
  while (listing->Next(&entry)) entries.push_back(entry);
  std::stable_sort(entries.begin(), entries.end(),
                   [this](const platform::FolderEntry& a, const platform::FolderEntry& b) {
                     return fListBefore(a.name, b.name);
                   });
  return std::make_unique<ListedEntries>(std::move(entries), listing->Identity());
}

ScratchDrive::ScratchDrive() : fEnv(&fHost.Env()), fPrevious(platform::HostEnv::Replace(&fEnv)) {}

ScratchDrive::~ScratchDrive() { platform::HostEnv::Replace(fPrevious); }

std::string ScratchDrive::HostPath(std::string_view relative) const { return fHost.DrivePath(relative); }

namespace {

std::string OnDrive(std::string_view relative) { return "drive_c/" + std::string(relative); }

}  // namespace

void ScratchDrive::WriteFile(std::string_view relative, std::string_view bytes) const {
  fHost.folder().WriteFile(OnDrive(relative), bytes);
}

std::string ScratchDrive::ReadFile(std::string_view relative) const { return fHost.folder().ReadFile(OnDrive(relative)); }

bool ScratchDrive::FileExists(std::string_view relative) const {
  return std::filesystem::exists(ScratchFolder::FromUtf8(HostPath(relative)));
}

void ScratchDrive::MakeFolder(std::string_view relative) const { fHost.folder().MakeFolder(OnDrive(relative)); }

void ScratchDrive::MakeReadOnly(std::string_view relative) const { fHost.folder().MakeReadOnly(OnDrive(relative)); }

void ScratchDrive::Remove(std::string_view relative) const { fHost.folder().Remove(OnDrive(relative)); }

void ScratchDrive::Link(std::string_view relative, std::string_view target) const {
  fHost.folder().Link(OnDrive(relative), target);
}
