#include "tests/filesystem/ScratchDrive.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string PrefixFor(const ScratchFolder& prefix) {
  prefix.Link("dosdevices/c:", "../drive_c");
  prefix.MakeFolder("drive_c");
  return prefix.Path();
}

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

ScratchDrive::ScratchDrive()
    : fHost(PrefixFor(fPrefix)), fEnv(&fHost), fPrevious(platform::HostEnv::Replace(&fEnv)) {}

ScratchDrive::~ScratchDrive() { platform::HostEnv::Replace(fPrevious); }

std::string ScratchDrive::HostPath(std::string_view relative) const {
  return fPrefix.Path("drive_c/" + std::string(relative));
}

void ScratchDrive::WriteFile(std::string_view relative, std::string_view bytes) const {
  fPrefix.WriteFile("drive_c/" + std::string(relative), bytes);
}

std::string ScratchDrive::ReadFile(std::string_view relative) const {
  std::ifstream in(HostPath(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ScratchDrive::FileExists(std::string_view relative) const {
  return std::filesystem::exists(HostPath(relative));
}

void ScratchDrive::MakeFolder(std::string_view relative) const { fPrefix.MakeFolder("drive_c/" + std::string(relative)); }

void ScratchDrive::MakeReadOnly(std::string_view relative) const {
  std::filesystem::permissions(HostPath(relative),
                               std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
}

void ScratchDrive::Link(std::string_view relative, std::string_view target) const {
  fPrefix.Link("drive_c/" + std::string(relative), target);
}
