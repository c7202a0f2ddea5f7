#pragma once

#include "platform/HostEnv.h"

namespace platform {

// One batch of lookups on an environment for as long as it lives (see
// HostEnv::BeginLookups): for an operation made of several lookups in quick
// succession, whose answers need only be as fresh as its start.
class LookupBatch {
 public:
  explicit LookupBatch(HostEnv& host) : fHost(host) { fHost.BeginLookups(); }
  ~LookupBatch() { fHost.EndLookups(); }
  LookupBatch(const LookupBatch&) = delete;
  LookupBatch& operator=(const LookupBatch&) = delete;

 private:
  HostEnv& fHost;
};

}  // namespace platform
