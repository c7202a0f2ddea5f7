#include "app/core/FolderScanner.h"

#include <memory>
#include <optional>

#include "filesystem/FSFind.h"
#include "filesystem/FileSystem.h"
#include "msrc/Util/FixedStringBuffer.h"

namespace {

bool EndsWithSeparator(const StringBuffer& path) {
  const int32_t length = path.Length();
  return length > 0 && path.Text()[length - 1] == '\\';
}

// Keeps a folder's identity on the walking list for one Scan call.
class WalkingGuard {
 public:
  WalkingGuard(std::vector<platform::FolderId>* walking, const platform::FolderId& id) : fWalking(walking) {
    fWalking->push_back(id);
  }
  ~WalkingGuard() { fWalking->pop_back(); }
  WalkingGuard(const WalkingGuard&) = delete;
  WalkingGuard& operator=(const WalkingGuard&) = delete;

 private:
  std::vector<platform::FolderId>* fWalking;
};

}  // namespace

FolderScanner::~FolderScanner() = default;

int32_t FolderScanner::EnterFolder(const StringBuffer&) { return 1; }

bool FolderScanner::Writable() const { return fCurrent != nullptr && fCurrent->Writable(); }

int32_t FolderScanner::Scan(const StringBuffer& folder) {
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
  if (!gFileSystem.IsFolder(folderKey)) {
    own = std::make_unique<FileSystem>();
    own->Mount(folderKey, false, true);
    fileSystem = own.get();
  }

  // The file-system layer names folders by path, so a link back to a folder
  // the walk is inside looks like a new folder there; the host's identity of
  // the listed folder tells them apart.
  std::optional<WalkingGuard> walking;
  platform::FolderId id;
  if (fileSystem->MountedIdentity(folderKey, &id)) {
    for (const platform::FolderId& outer : fWalking) {
      if (outer == id) {
        if (own) own->CloseArchives();
        return -1;
      }
    }
    walking.emplace(&fWalking, id);
  }

  int32_t result = -1;
  FSFind find;
  if (fileSystem->FindFirst(folderKey + CTGString("*"), &find)) {
    result = 0;
    do {
      FixedStringBuffer<kPathCapacity> full;
      const int32_t wanted = find.Folder().Length() + find.Name().Length();
      full.Append(find.Folder().Text());
      full.Append(find.Name().Text());
      // A cut path names something else: neither report nor enter it.
      if (full.Length() != wanted) continue;
      if (find.IsFolder()) {
        if (EnterFolder(full) != 0) {
          full.AppendChar('\\');
          if (full.Length() == wanted + 1) Scan(full);
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
