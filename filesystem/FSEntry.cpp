#include "filesystem/FSEntry.h"

#include <utility>

#include "platform/HostEnv.h"

bool FSEntry::Writable() const {
  if (fWritable == WritableState::kUnknown) {
    const bool readOnly = platform::HostEnv::Current().IsReadOnly(fListed);
    fWritable = readOnly ? WritableState::kReadOnly : WritableState::kWritable;
    fListed.hostPath.clear();
    fListed.hostPath.shrink_to_fit();
  }
  return fWritable == WritableState::kWritable;
}

void FSEntry::SetWritable(bool writable) {
  fWritable = writable ? WritableState::kWritable : WritableState::kReadOnly;
  fListed.hostPath.clear();
  fListed.hostPath.shrink_to_fit();
}

void FSEntry::SetWritableFromListing(platform::FolderEntry listed) {
  fWritable = WritableState::kUnknown;
  fListed = std::move(listed);
}
