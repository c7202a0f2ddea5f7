#pragma once

#include <memory>
#include <utility>

#include "platform/HostFile.h"

namespace platform {

// Forwards every call to a file it owns. Tests derive from it and override the
// calls they want to fail or observe; destroying the wrapper closes the file.
class HostFileWrapper : public HostFile {
 public:
  explicit HostFileWrapper(std::unique_ptr<HostFile> target) : fTarget(std::move(target)) {}

  HostFile* target() const { return fTarget.get(); }

  int64_t Read(void* buffer, int64_t count) override { return fTarget->Read(buffer, count); }
  int64_t Write(const void* buffer, int64_t count) override { return fTarget->Write(buffer, count); }
  bool Seek(int64_t offset) override { return fTarget->Seek(offset); }
  int64_t Size() override { return fTarget->Size(); }
  bool SetEndOfFile() override { return fTarget->SetEndOfFile(); }
  bool Flush() override { return fTarget->Flush(); }

 private:
  std::unique_ptr<HostFile> fTarget;
};

}  // namespace platform
