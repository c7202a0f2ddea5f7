#include "tests/platform/FaultPlan.h"

void FaultPlan::FailNth(HostCall call, int n, bool sticky) {
  Slot& slot = fSlots[Index(call)];
  slot.failAt = n >= 1 ? slot.count + n : 0;
  slot.sticky = sticky;
}

void FaultPlan::Heal(HostCall call) { fSlots[Index(call)].failAt = 0; }

bool FaultPlan::Next(HostCall call) {
  Slot& slot = fSlots[Index(call)];
  ++slot.count;
  bool fails = slot.failAt != 0 && (slot.count == slot.failAt || (slot.sticky && slot.count > slot.failAt));
  if (fails) ++slot.failures;
  return fails;
}
