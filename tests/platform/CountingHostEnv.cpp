#include "tests/platform/CountingHostEnv.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "platform/HostFileWrapper.h"

namespace {

// Keeps its own file pointer and length so that it can tell a read past the
// end without asking the host anything the code under test did not ask.
class CountingHostFile : public platform::HostFileWrapper {
 public:
  CountingHostFile(std::unique_ptr<platform::HostFile> target, std::shared_ptr<CountingHostEnv::State> state)
      : HostFileWrapper(std::move(target)), fState(std::move(state)) {}

  int64_t Read(void* buffer, int64_t count) override {
    HostTally& tally = fState->tally;
    ++tally.calls;
    ++tally.reads;
    if (count > 0 && fPosition + count > Length()) ++tally.readsPastEnd;
    const int64_t got = HostFileWrapper::Read(buffer, count);
    if (got > 0) {
      tally.bytesRead += got;
      fPosition += got;
    }
    return got;
  }

  int64_t Write(const void* buffer, int64_t count) override {
    HostTally& tally = fState->tally;
    ++tally.calls;
    ++tally.writes;
    if (!fState->Allow()) return -1;
    const int64_t put = HostFileWrapper::Write(buffer, count);
    if (put > 0) {
      tally.bytesWritten += put;
      fPosition += put;
      fLength = std::max(Length(), fPosition);
    }
    return put;
  }

  bool Seek(int64_t offset) override {
    ++fState->tally.calls;
    if (!HostFileWrapper::Seek(offset)) return false;
    fPosition = offset;
    return true;
  }

  int64_t Size() override {
    ++fState->tally.calls;
    const int64_t size = HostFileWrapper::Size();
    if (size >= 0) fLength = size;
    return size;
  }

  bool SetEndOfFile() override {
    ++fState->tally.calls;
    if (!fState->Allow() || !HostFileWrapper::SetEndOfFile()) return false;
    fLength = fPosition;
    return true;
  }

  bool Flush() override {
    ++fState->tally.calls;
    ++fState->tally.flushes;
    return fState->Allow() && (fState->skipDeviceFlushes || HostFileWrapper::Flush());
  }

 private:
  // Asked of the host only when the code under test never asked for it.
  int64_t Length() {
    if (fLength < 0) fLength = target()->Size();
    return fLength;
  }

  std::shared_ptr<CountingHostEnv::State> fState;
  int64_t fPosition = 0;
  int64_t fLength = -1;
};

}  // namespace

bool CountingHostEnv::State::Allow() {
  ++changes;
  if (stopAt == 0 || changes < stopAt) return true;
  ++tally.refusedChanges;
  return false;
}

CountingHostEnv::CountingHostEnv(platform::HostEnv* target)
    : HostEnvWrapper(target), fState(std::make_shared<State>()) {}

const HostTally& CountingHostEnv::Tally() const { return fState->tally; }

void CountingHostEnv::StopChangesAt(int n) { fState->stopAt = n >= 1 ? fState->changes + n : 0; }

void CountingHostEnv::SkipDeviceFlushes(bool skip) { fState->skipDeviceFlushes = skip; }

std::unique_ptr<platform::HostFile> CountingHostEnv::OpenFile(std::string_view windowsPath,
                                                              const platform::FileOpenOptions& options) {
  return Counted(options, [&] { return HostEnvWrapper::OpenFile(windowsPath, options); });
}

std::unique_ptr<platform::HostFile> CountingHostEnv::OpenHostFile(std::string_view hostPath,
                                                                  const platform::FileOpenOptions& options) {
  return Counted(options, [&] { return HostEnvWrapper::OpenHostFile(hostPath, options); });
}

std::unique_ptr<platform::HostFile> CountingHostEnv::Counted(
    const platform::FileOpenOptions& options, const std::function<std::unique_ptr<platform::HostFile>()>& open) {
  ++fState->tally.calls;
  if (options.disposition == platform::FileDisposition::kCreateAlways && !fState->Allow()) return nullptr;
  std::unique_ptr<platform::HostFile> file = open();
  if (file == nullptr) return nullptr;
  return std::make_unique<CountingHostFile>(std::move(file), fState);
}

bool CountingHostEnv::RemoveHostFile(std::string_view hostPath) {
  ++fState->tally.calls;
  return fState->Allow() && HostEnvWrapper::RemoveHostFile(hostPath);
}

bool CountingHostEnv::MakeHostFolders(std::string_view hostFolder) {
  ++fState->tally.calls;
  return fState->Allow() && HostEnvWrapper::MakeHostFolders(hostFolder);
}

bool CountingHostEnv::RenameHostFile(std::string_view fromPath, std::string_view toPath) {
  ++fState->tally.calls;
  return fState->Allow() && HostEnvWrapper::RenameHostFile(fromPath, toPath);
}

bool CountingHostEnv::RemoveFile(std::string_view windowsPath) {
  ++fState->tally.calls;
  return fState->Allow() && HostEnvWrapper::RemoveFile(windowsPath);
}

bool CountingHostEnv::ReplaceFile(std::string_view targetPath, std::string_view replacementPath) {
  ++fState->tally.calls;
  ++fState->tally.replacements;
  return fState->Allow() && HostEnvWrapper::ReplaceFile(targetPath, replacementPath);
}

std::unique_ptr<platform::FolderListing> CountingHostEnv::ListFolder(std::string_view windowsFolder) {
  ++fState->tally.calls;
  return HostEnvWrapper::ListFolder(windowsFolder);
}

std::vector<bool> CountingHostEnv::MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) {
  ++fState->tally.calls;
  return HostEnvWrapper::MayHold(windowsFolder, names);
}
