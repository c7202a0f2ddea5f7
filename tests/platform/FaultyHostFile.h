#pragma once

#include <memory>

#include "platform/HostFileWrapper.h"
#include "tests/platform/FaultPlan.h"

// A host file whose calls are counted against a shared FaultPlan and fail when
// the plan says so. A failed Write with short writes on moves the first half of
// the bytes and reports that count, as a disk that fills up mid-write does;
// otherwise it moves nothing and reports an error.
class FaultyHostFile : public platform::HostFileWrapper {
 public:
  FaultyHostFile(std::unique_ptr<platform::HostFile> target, std::shared_ptr<FaultPlan> plan, bool shortWrites);

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  bool Seek(int64_t offset) override;
  bool SetEndOfFile() override;
  bool Flush() override;

 private:
  std::shared_ptr<FaultPlan> fPlan;
  bool fShortWrites;
};
