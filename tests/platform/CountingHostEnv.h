#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/HostEnvWrapper.h"

// What the files opened through a CountingHostEnv asked of the host.
struct HostTally {
  int64_t calls = 0;  // every call: opens, removals, listings, look-ups and each file call
  int64_t reads = 0;
  int64_t writes = 0;
  int64_t flushes = 0;
  int64_t replacements = 0;
  int64_t bytesRead = 0;
  int64_t bytesWritten = 0;
  // Reads that asked for bytes beyond the end of the file.
  int64_t readsPastEnd = 0;
  // Changes (writes, truncations, flushes, creations, removals,
  // replacements, made folders, renames) refused because of StopChangesAt.
  int64_t refusedChanges = 0;
};

// Forwards to a target environment and counts host calls and bytes across
// every file it opened, for benchmarks and for tests that must not read past
// the end of a file. It can also stand in for a program that stops dead: from
// a chosen change on, no write, truncation, flush, file creation, removal or
// replacement reaches the disk.
class CountingHostEnv : public platform::HostEnvWrapper {
 public:
  explicit CountingHostEnv(platform::HostEnv* target);

  // Totals since construction; take differences to measure a stretch.
  const HostTally& Tally() const;

  // The n-th change from now on (n >= 1) and every later one fail, moving no
  // bytes; 0 lets every change through again.
  void StopChangesAt(int n);

  // Flushes are answered without pushing anything to the storage device: a
  // test's files need not survive a power cut, and syncing makes it slow.
  void SkipDeviceFlushes(bool skip);

  std::unique_ptr<platform::HostFile> OpenFile(std::string_view windowsPath,
                                               const platform::FileOpenOptions& options) override;
  bool RemoveFile(std::string_view windowsPath) override;
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override;
  std::unique_ptr<platform::FolderListing> ListFolder(std::string_view windowsFolder) override;
  // The same on host paths; making folders and renaming are changes too.
  std::unique_ptr<platform::HostFile> OpenHostFile(std::string_view hostPath,
                                                   const platform::FileOpenOptions& options) override;
  bool RemoveHostFile(std::string_view hostPath) override;
  bool MakeHostFolders(std::string_view hostFolder) override;
  bool RenameHostFile(std::string_view fromPath, std::string_view toPath) override;
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) override;

  // Shared with the files, which may outlive the environment.
  struct State {
    HostTally tally;
    int64_t changes = 0;
    int64_t stopAt = 0;  // the change count from which changes fail; 0 for never
    bool skipDeviceFlushes = false;
    // Counts a change and answers whether it goes through.
    bool Allow();
  };

 private:
  // Counts an open (a change when it creates) and wraps what `open` opened.
  std::unique_ptr<platform::HostFile> Counted(const platform::FileOpenOptions& options,
                                              const std::function<std::unique_ptr<platform::HostFile>()>& open);

  std::shared_ptr<State> fState;
};
