#pragma once

#include <array>
#include <cstddef>

// The host calls a FaultyHostEnv can make fail.
enum class HostCall {
  kOpenFile,
  kRemoveFile,
  kRead,
  kWrite,
  kSeek,
  kSetEndOfFile,
  kFlush,
  kReplaceFile,
  kMakeFolders,
  kRenameFile,
  kCount,  // the number of kinds
};

// Counts host calls of each kind and decides which of them fail. Shared by a
// FaultyHostEnv and every file it opened, so counts run across all files.
class FaultPlan {
 public:
  // The n-th call of `call` from now on (n >= 1) fails; with `sticky` every
  // later one fails too, like a disk that stays full. Replaces an earlier plan
  // for the same call.
  void FailNth(HostCall call, int n, bool sticky = false);

  // Every call of `call` from now on fails.
  void FailAll(HostCall call) { FailNth(call, 1, true); }

  // Stops failing `call`; counts go on.
  void Heal(HostCall call);

  // Counts the call and answers whether it is to fail.
  bool Next(HostCall call);

  // Calls of `call` made so far, failed ones included.
  int Count(HostCall call) const { return fSlots[Index(call)].count; }

  // Calls of `call` that were made to fail so far.
  int Failures(HostCall call) const { return fSlots[Index(call)].failures; }

 private:
  struct Slot {
    int count = 0;
    int failAt = 0;  // the count at which calls start to fail; 0 for never
    bool sticky = false;
    int failures = 0;
  };

  static std::size_t Index(HostCall call) { return static_cast<std::size_t>(call); }

  std::array<Slot, static_cast<std::size_t>(HostCall::kCount)> fSlots{};
};
