#include "app/core/FolderScanner.h"

#include <memory>

#include "filesystem/FSFind.h"
#include "filesystem/FileSystem.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"

namespace {

bool EndsWithSeparator(const StringBuffer& path) {
  const int32_t length = path.Length();
  return length > 0 && path.Text()[length - 1] == '\\';
}

}  // namespace

FolderScanner::~FolderScanner() = default;

int32_t FolderScanner::EnterFolder(const StringBuffer&) { return 1; }

bool FolderScanner::Writable() const { return fCurrent != nullptr && fCurrent->Writable(); }

int32_t FolderScanner::Scan(const StringBuffer& folder) { return ScanFolder(folder, nullptr, {}); }

int32_t FolderScanner::ScanFolder(const StringBuffer& folder, const platform::FolderListing* parent,
                                  std::string_view spelling) {
  FixedStringBuffer<kPathCapacity> path;
  if (folder.Length() >= kPathCapacity) {
    // One report for the loss; the cut path would name another folder.
    path.Append(folder);
    return -1;
  }
  for (const char* c = folder.Text(); *c != '\0'; ++c) path.AppendChar(*c == '/' ? '\\' : *c);
  if (!EndsWithSeparator(path)) return -1;

  const CTGString folderKey(path.Text());
  FileSystem* fileSystem = &gFileSystem;
  std::unique_ptr<FileSystem> own;
  // Stays open while the subfolders are walked: they are listed through it,
  // so the host need not resolve the whole path of every folder again.
  std::unique_ptr<platform::FolderListing> listing;
  if (!gFileSystem.IsFolder(folderKey)) {
    platform::HostEnv& host = platform::HostEnv::Current();
    const CTGString normal = FileSystem::NormalizePath(folderKey);
    const std::string_view hostFolder(normal.Text(), static_cast<size_t>(normal.Length()));
    listing = parent != nullptr && !spelling.empty() ? host.ListSubfolder(*parent, spelling, hostFolder)
                                                     : host.ListFolder(hostFolder);
    // The file-system layer names folders by path, so a folder reached again
    // through a link looks like a new one; the host's identity of the listed
    // folder tells them apart.
    if (listing == nullptr || !fWalked.insert(listing->Identity()).second) return -1;
    own = std::make_unique<FileSystem>();
    own->MountListing(folderKey, *listing, true);
    fileSystem = own.get();
  }

  int32_t result = -1;
  FSFind find;
  if (fileSystem->FindFirst(folderKey + CTGString("*"), &find)) {
    result = 0;
    do {
      FixedStringBuffer<kPathCapacity> full;
      const int32_t wanted = find.Folder().Length() + find.PathName().Length();
      full.Append(find.Folder().Text());
      full.Append(find.PathName().Text());
      // A cut path names something else: neither report nor enter it.
      if (full.Length() != wanted) continue;
      if (find.IsFolder()) {
        if (EnterFolder(full) != 0) {
          full.AppendChar('\\');
          if (full.Length() == wanted + 1) ScanFolder(full, listing.get(), find.ListedName());
        }
      } else {
        fCurrent = &find;
        FoundFile(full);
        fCurrent = nullptr;
      }
    } while (fileSystem->FindNext(&find));
  }
  if (own) own->CloseArchives();
  return result;
}
