#include "tests/platform/FaultInjection.h"

FaultInjection::FaultInjection(platform::HostEnv* target)
    : fCounting(target), fFaulty(&fCounting), fPrevious(platform::HostEnv::Replace(&fFaulty)) {}

FaultInjection::~FaultInjection() { platform::HostEnv::Replace(fPrevious); }

void FaultInjection::Arm(const FaultMode& mode, int n) {
  if (mode.stopDead) {
    fCounting.StopChangesAt(n);
  } else {
    fFaulty.plan().FailNth(mode.call, n, mode.sticky);
  }
}

void FaultInjection::Heal(const FaultMode& mode) {
  if (mode.stopDead) {
    fCounting.StopChangesAt(0);
  } else {
    fFaulty.plan().Heal(mode.call);
  }
}

int FaultInjection::Failures(const FaultMode& mode) {
  return mode.stopDead ? static_cast<int>(fCounting.Tally().refusedChanges) : fFaulty.plan().Failures(mode.call);
}
