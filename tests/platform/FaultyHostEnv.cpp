#include "tests/platform/FaultyHostEnv.h"

#include <utility>

#include "tests/platform/FaultyHostFile.h"

FaultyHostEnv::FaultyHostEnv(platform::HostEnv* target)
    : HostEnvWrapper(target), fPlan(std::make_shared<FaultPlan>()) {}

std::unique_ptr<platform::HostFile> FaultyHostEnv::OpenFile(std::string_view windowsPath,
                                                            const platform::FileOpenOptions& options) {
  if (fRefuse && fRefuse(windowsPath, options)) return nullptr;
  if (fPlan->Next(HostCall::kOpenFile)) return nullptr;
  std::unique_ptr<platform::HostFile> file = HostEnvWrapper::OpenFile(windowsPath, options);
  if (file == nullptr) return nullptr;
  return std::make_unique<FaultyHostFile>(std::move(file), fPlan, fShortWrites);
}

bool FaultyHostEnv::RemoveFile(std::string_view windowsPath) {
  return !fPlan->Next(HostCall::kRemoveFile) && HostEnvWrapper::RemoveFile(windowsPath);
}
