#pragma once

#include "platform/HostEnv.h"

namespace platform {

// Forwards every call to a target environment. Tests derive from it and
// override the calls they want to fail or observe.
class HostEnvWrapper : public HostEnv {
 public:
  explicit HostEnvWrapper(HostEnv* target) : fTarget(target) {}

  HostEnv* target() const { return fTarget; }

  Registry& MachineRegistry() override { return fTarget->MachineRegistry(); }
  std::string HostPath(std::string_view windowsPath) override { return fTarget->HostPath(windowsPath); }
  std::string WindowsPath(std::string_view hostPath) override { return fTarget->WindowsPath(hostPath); }
  void DebugOutput(std::string_view text) override { fTarget->DebugOutput(text); }
  std::unique_ptr<HostFile> OpenFile(std::string_view windowsPath, const FileOpenOptions& options) override {
    return fTarget->OpenFile(windowsPath, options);
  }
  bool RemoveFile(std::string_view windowsPath) override { return fTarget->RemoveFile(windowsPath); }
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override {
    return fTarget->ReplaceFile(targetPath, replacementPath);
  }
  std::unique_ptr<FolderListing> ListFolder(std::string_view windowsFolder) override {
    return fTarget->ListFolder(windowsFolder);
  }
  bool IsReadOnly(const FolderEntry& entry) override { return fTarget->IsReadOnly(entry); }
  std::string CanonicalPath(std::string_view windowsPath) override { return fTarget->CanonicalPath(windowsPath); }
  std::string DataFolder() override { return fTarget->DataFolder(); }
  std::unique_ptr<HostFile> OpenHostFile(std::string_view hostPath, const FileOpenOptions& options) override {
    return fTarget->OpenHostFile(hostPath, options);
  }
  bool RemoveHostFile(std::string_view hostPath) override { return fTarget->RemoveHostFile(hostPath); }
  std::unique_ptr<FolderListing> ListHostFolder(std::string_view hostFolder) override {
    return fTarget->ListHostFolder(hostFolder);
  }
  bool MakeHostFolders(std::string_view hostFolder) override { return fTarget->MakeHostFolders(hostFolder); }
  bool RenameHostFile(std::string_view fromPath, std::string_view toPath) override {
    return fTarget->RenameHostFile(fromPath, toPath);
  }
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) override {
    return fTarget->MayHold(windowsFolder, names);
  }
  void BeginLookups() override { fTarget->BeginLookups(); }
  void EndLookups() override { fTarget->EndLookups(); }

 private:
  HostEnv* fTarget;
};

}  // namespace platform
