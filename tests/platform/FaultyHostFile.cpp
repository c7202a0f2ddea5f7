#include "tests/platform/FaultyHostFile.h"

#include <utility>

#include "platform/HostFailure.h"

namespace {

// Answers whether the plan fails the call, leaving the cause behind when it
// does.
bool Fails(FaultPlan& plan, HostCall call, platform::HostFailure cause) {
  if (!plan.Next(call)) return false;
  platform::SetLastHostFailure(cause);
  return true;
}

}  // namespace

FaultyHostFile::FaultyHostFile(std::unique_ptr<platform::HostFile> target, std::shared_ptr<FaultPlan> plan,
                               bool shortWrites)
    : HostFileWrapper(std::move(target)), fPlan(std::move(plan)), fShortWrites(shortWrites) {}

int64_t FaultyHostFile::Read(void* buffer, int64_t count) {
  return Fails(*fPlan, HostCall::kRead, platform::HostFailure::kDeviceError) ? -1 : HostFileWrapper::Read(buffer, count);
}

int64_t FaultyHostFile::Write(const void* buffer, int64_t count) {
  if (!Fails(*fPlan, HostCall::kWrite, platform::HostFailure::kDiskFull)) return HostFileWrapper::Write(buffer, count);
  if (!fShortWrites || count <= 1) return fShortWrites ? 0 : -1;
  return HostFileWrapper::Write(buffer, count / 2);
}

bool FaultyHostFile::Seek(int64_t offset) {
  return !Fails(*fPlan, HostCall::kSeek, platform::HostFailure::kDeviceError) && HostFileWrapper::Seek(offset);
}

bool FaultyHostFile::SetEndOfFile() {
  return !Fails(*fPlan, HostCall::kSetEndOfFile, platform::HostFailure::kDiskFull) && HostFileWrapper::SetEndOfFile();
}

bool FaultyHostFile::Flush() {
  return !Fails(*fPlan, HostCall::kFlush, platform::HostFailure::kDeviceError) && HostFileWrapper::Flush();
}
