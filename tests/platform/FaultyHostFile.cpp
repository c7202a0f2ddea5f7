#include "tests/platform/FaultyHostFile.h"

#include <utility>

FaultyHostFile::FaultyHostFile(std::unique_ptr<platform::HostFile> target, std::shared_ptr<FaultPlan> plan,
                               bool shortWrites)
    : HostFileWrapper(std::move(target)), fPlan(std::move(plan)), fShortWrites(shortWrites) {}

int64_t FaultyHostFile::Read(void* buffer, int64_t count) {
  return fPlan->Next(HostCall::kRead) ? -1 : HostFileWrapper::Read(buffer, count);
}

int64_t FaultyHostFile::Write(const void* buffer, int64_t count) {
  if (!fPlan->Next(HostCall::kWrite)) return HostFileWrapper::Write(buffer, count);
  if (!fShortWrites || count <= 1) return fShortWrites ? 0 : -1;
  return HostFileWrapper::Write(buffer, count / 2);
}

bool FaultyHostFile::Seek(int64_t offset) { return !fPlan->Next(HostCall::kSeek) && HostFileWrapper::Seek(offset); }

bool FaultyHostFile::SetEndOfFile() { return !fPlan->Next(HostCall::kSetEndOfFile) && HostFileWrapper::SetEndOfFile(); }

bool FaultyHostFile::Flush() { return !fPlan->Next(HostCall::kFlush) && HostFileWrapper::Flush(); }
