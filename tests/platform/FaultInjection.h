#pragma once

#include "platform/HostEnv.h"
#include "tests/platform/CountingHostEnv.h"
#include "tests/platform/FaultyHostEnv.h"

// How a run of a fault matrix makes host calls fail.
struct FaultMode {
  const char* name;
  HostCall call;
  bool sticky;
  // The n-th change of any kind (write, truncation, flush, creation,
  // removal, replacement) and every later one fail: the program stopped
  // there.
  bool stopDead;
};

// Every way a save can meet a failure: a write, flush or truncation that
// fails once or for good (a full disk, a device error), an open (of a
// replacement file) that fails, a replacement that fails once or for good, a
// removal that fails, and a dead stop.
inline constexpr FaultMode kFaultModes[] = {
    {"write once", HostCall::kWrite, false, false},
    {"write sticky", HostCall::kWrite, true, false},
    {"flush once", HostCall::kFlush, false, false},
    {"flush sticky", HostCall::kFlush, true, false},
    {"truncate once", HostCall::kSetEndOfFile, false, false},
    {"truncate sticky", HostCall::kSetEndOfFile, true, false},
    {"open once", HostCall::kOpenFile, false, false},
    {"replace once", HostCall::kReplaceFile, false, false},
    {"replace sticky", HostCall::kReplaceFile, true, false},
    {"remove sticky", HostCall::kRemoveFile, true, false},
    {"stop dead", HostCall::kWrite, true, true},
};

// Far more failure points than any save makes; reaching it means a save
// that never ends.
inline constexpr int kMostFailurePoints = 400;

// A counting and a failing environment stacked over a target, installed as
// the current one for its lifetime.
class FaultInjection {
 public:
  explicit FaultInjection(platform::HostEnv* target);
  ~FaultInjection();
  FaultInjection(const FaultInjection&) = delete;
  FaultInjection& operator=(const FaultInjection&) = delete;

  // The n-th call (n >= 1) of the mode's kind from now on fails, as the mode
  // says.
  void Arm(const FaultMode& mode, int n);
  void Heal(const FaultMode& mode);
  // Calls made to fail so far in the mode.
  int Failures(const FaultMode& mode);

  CountingHostEnv& counting() { return fCounting; }
  FaultyHostEnv& faulty() { return fFaulty; }

 private:
  CountingHostEnv fCounting;
  FaultyHostEnv fFaulty;
  platform::HostEnv* fPrevious;
};
