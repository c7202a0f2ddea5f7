#include "tests/platform/FaultyHostEnv.h"

#include <utility>

#include "tests/platform/FaultyHostFile.h"

FaultyHostEnv::FaultyHostEnv(platform::HostEnv* target)
    : HostEnvWrapper(target), fPlan(std::make_shared<FaultPlan>()) {}

std::unique_ptr<platform::HostFile> FaultyHostEnv::OpenFile(std::string_view windowsPath,
                                                            const platform::FileOpenOptions& options) {
  if ((fRefuse && fRefuse(windowsPath, options)) || fPlan->Next(HostCall::kOpenFile)) {
    platform::SetLastHostFailure(platform::HostFailure::kInUse);
    return nullptr;
  }
  std::unique_ptr<platform::HostFile> file = HostEnvWrapper::OpenFile(windowsPath, options);
  if (file == nullptr) return nullptr;
  return std::make_unique<FaultyHostFile>(std::move(file), fPlan, fShortWrites);
}

bool FaultyHostEnv::RemoveFile(std::string_view windowsPath) {
  if (!fPlan->Next(HostCall::kRemoveFile)) return HostEnvWrapper::RemoveFile(windowsPath);
  platform::SetLastHostFailure(platform::HostFailure::kInUse);
  return false;
}

bool FaultyHostEnv::ReplaceFile(std::string_view targetPath, std::string_view replacementPath) {
  if (!fPlan->Next(HostCall::kReplaceFile)) return HostEnvWrapper::ReplaceFile(targetPath, replacementPath);
  platform::SetLastHostFailure(platform::HostFailure::kInUse);
  return false;
}
