#include "msrc/Util/Terminate.h"

Terminate::Terminate(const char* report) {
  // A bounded count keeps an over-long text from being reported as a lost
  // append, which would re-enter XASSERT.
  fReport.Append(report, kCapacity - 1);
}
