#include "platform/HostFailure.h"

namespace platform {

namespace {

thread_local HostFailure sLastFailure = HostFailure::kNone;

}  // namespace

HostFailure LastHostFailure() { return sLastFailure; }

void SetLastHostFailure(HostFailure failure) { sLastFailure = failure; }

}  // namespace platform
