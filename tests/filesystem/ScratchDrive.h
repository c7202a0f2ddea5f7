#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HostEnvWrapper.h"
#include "tests/platform/ScratchHost.h"

// A scratch drive c: (ScratchHost), installed as the current host environment
// for the object's lifetime (behind a TestEnv that tests can steer). Files are
// named relative to the drive's root with "/", e.g. "x/pack.far" is
// c:\x\pack.far.
class ScratchDrive {
 public:
  // Forwards to the scratch host and records what the layer asks of it.
  class TestEnv : public platform::HostEnvWrapper {
   public:
    using HostEnvWrapper::HostEnvWrapper;

    void DebugOutput(std::string_view text) override { fDebugOutput.emplace_back(text); }
    bool IsReadOnly(const platform::FolderEntry& entry) override {
      ++fReadOnlyQuestions;
      return HostEnvWrapper::IsReadOnly(entry);
    }
    // Lists entries in the order `before` gives, when it is set.
    std::unique_ptr<platform::FolderListing> ListFolder(std::string_view windowsFolder) override;

    std::vector<std::string> fDebugOutput;
    int fReadOnlyQuestions = 0;
    std::function<bool(const std::string&, const std::string&)> fListBefore;
  };

  ScratchDrive();
  ~ScratchDrive();
  ScratchDrive(const ScratchDrive&) = delete;
  ScratchDrive& operator=(const ScratchDrive&) = delete;

  TestEnv& Env() { return fEnv; }

  void WriteFile(std::string_view relative, std::string_view bytes) const;
  std::string ReadFile(std::string_view relative) const;
  bool FileExists(std::string_view relative) const;
  void MakeFolder(std::string_view relative) const;
  void MakeReadOnly(std::string_view relative) const;
  // Removes a file, read-only or not.
  void Remove(std::string_view relative) const;
  void Link(std::string_view relative, std::string_view target) const;
  std::string HostPath(std::string_view relative) const;

 private:
  ScratchHost fHost;
  TestEnv fEnv;
  platform::HostEnv* fPrevious;
};
