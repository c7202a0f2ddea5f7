#include "tests/platform/FaultyHostEnv.h"

#include <utility>

#include "tests/platform/FaultyHostFile.h"

FaultyHostEnv::FaultyHostEnv(platform::HostEnv* target)
    : HostEnvWrapper(target), fPlan(std::make_shared<FaultPlan>()) {}

std::unique_ptr<platform::HostFile> FaultyHostEnv::Opened(
    std::string_view path, const platform::FileOpenOptions& options,
    const std::function<std::unique_ptr<platform::HostFile>()>& open) {
  if ((fRefuse && fRefuse(path, options)) || fPlan->Next(HostCall::kOpenFile)) {
    platform::SetLastHostFailure(platform::HostFailure::kInUse);
    return nullptr;
  }
  std::unique_ptr<platform::HostFile> file = open();
  if (file == nullptr) return nullptr;
  return std::make_unique<FaultyHostFile>(std::move(file), fPlan, fShortWrites);
}

bool FaultyHostEnv::Changed(HostCall call, platform::HostFailure cause, const std::function<bool()>& change) {
  if (!fPlan->Next(call)) return change();
  platform::SetLastHostFailure(cause);
  return false;
}

std::unique_ptr<platform::HostFile> FaultyHostEnv::OpenFile(std::string_view windowsPath,
                                                            const platform::FileOpenOptions& options) {
  return Opened(windowsPath, options, [&] { return HostEnvWrapper::OpenFile(windowsPath, options); });
}

std::unique_ptr<platform::HostFile> FaultyHostEnv::OpenHostFile(std::string_view hostPath,
                                                                const platform::FileOpenOptions& options) {
  return Opened(hostPath, options, [&] { return HostEnvWrapper::OpenHostFile(hostPath, options); });
}

bool FaultyHostEnv::RemoveFile(std::string_view windowsPath) {
  return Changed(HostCall::kRemoveFile, platform::HostFailure::kInUse,
                 [&] { return HostEnvWrapper::RemoveFile(windowsPath); });
}

bool FaultyHostEnv::RemoveHostFile(std::string_view hostPath) {
  return Changed(HostCall::kRemoveFile, platform::HostFailure::kInUse,
                 [&] { return HostEnvWrapper::RemoveHostFile(hostPath); });
}

bool FaultyHostEnv::ReplaceFile(std::string_view targetPath, std::string_view replacementPath) {
  return Changed(HostCall::kReplaceFile, platform::HostFailure::kInUse,
                 [&] { return HostEnvWrapper::ReplaceFile(targetPath, replacementPath); });
}

bool FaultyHostEnv::MakeHostFolders(std::string_view hostFolder) {
  return Changed(HostCall::kMakeFolders, platform::HostFailure::kAccessDenied,
                 [&] { return HostEnvWrapper::MakeHostFolders(hostFolder); });
}

bool FaultyHostEnv::RenameHostFile(std::string_view fromPath, std::string_view toPath) {
  return Changed(HostCall::kRenameFile, platform::HostFailure::kInUse,
                 [&] { return HostEnvWrapper::RenameHostFile(fromPath, toPath); });
}
