#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/HostEnvWrapper.h"
#include "tests/platform/FaultPlan.h"

// An environment that fails chosen host calls, for proving that a failure at
// any point leaves data intact. Counts run across every file it opened, so
// "fail the 3rd write" means the 3rd write through any of them:
//
//   FaultyHostEnv env(&host);
//   env.plan().FailNth(HostCall::kWrite, 3);
//   env.plan().FailAll(HostCall::kFlush);
//   env.RefuseOpens([](std::string_view path, const platform::FileOpenOptions&) { ... });
//
// A call made to fail leaves the cause a real host would give: a full disk
// for writes and truncations, a device error for reads, seeks and flushes,
// another program's hold for opens, removals and replacements.
//
// Files it opened stay usable (and keep failing by the plan) after the
// environment is gone.
class FaultyHostEnv : public platform::HostEnvWrapper {
 public:
  using OpenFilter = std::function<bool(std::string_view windowsPath, const platform::FileOpenOptions& options)>;

  explicit FaultyHostEnv(platform::HostEnv* target);

  FaultPlan& plan() { return *fPlan; }

  // A failed Write moves half the bytes (a disk that fills up) instead of none.
  void SetShortWrites(bool shortWrites) { fShortWrites = shortWrites; }

  // Opens for which `refuse` answers true fail (before the plan is asked);
  // an empty filter refuses nothing.
  void RefuseOpens(OpenFilter refuse) { fRefuse = std::move(refuse); }

  std::unique_ptr<platform::HostFile> OpenFile(std::string_view windowsPath,
                                               const platform::FileOpenOptions& options) override;
  bool RemoveFile(std::string_view windowsPath) override;
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override;

 private:
  std::shared_ptr<FaultPlan> fPlan;
  bool fShortWrites = false;
  OpenFilter fRefuse;
};
