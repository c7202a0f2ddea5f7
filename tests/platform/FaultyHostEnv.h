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
// Calls on host paths count as their counterparts on Windows-style paths do
// (an OpenHostFile as a kOpenFile); making folders and renaming have kinds of
// their own. A call made to fail leaves the cause a real host would give: a
// full disk for writes and truncations, a device error for reads, seeks and
// flushes, another program's hold for opens, removals, replacements and
// renames, no permission for making folders.
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
  // an empty filter refuses nothing. Opens of host paths are shown their
  // host path.
  void RefuseOpens(OpenFilter refuse) { fRefuse = std::move(refuse); }

  std::unique_ptr<platform::HostFile> OpenFile(std::string_view windowsPath,
                                               const platform::FileOpenOptions& options) override;
  bool RemoveFile(std::string_view windowsPath) override;
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override;
  std::unique_ptr<platform::HostFile> OpenHostFile(std::string_view hostPath,
                                                   const platform::FileOpenOptions& options) override;
  bool RemoveHostFile(std::string_view hostPath) override;
  bool MakeHostFolders(std::string_view hostFolder) override;
  bool RenameHostFile(std::string_view fromPath, std::string_view toPath) override;

 private:
  // Fails the open, or wraps what `open` opened.
  std::unique_ptr<platform::HostFile> Opened(
      std::string_view path, const platform::FileOpenOptions& options,
      const std::function<std::unique_ptr<platform::HostFile>()>& open);
  // Fails a call of `call` with `cause`, or answers what `change` does.
  bool Changed(HostCall call, platform::HostFailure cause, const std::function<bool()>& change);

  std::shared_ptr<FaultPlan> fPlan;
  bool fShortWrites = false;
  OpenFilter fRefuse;
};
