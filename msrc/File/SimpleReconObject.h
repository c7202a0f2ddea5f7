#pragma once

#include <cstdint>

#include "msrc/File/ReconObject.h"
#include "msrc/File/ResType.h"

class Recon;

namespace recon_detail {
// Outside the class, so that the call finds the free Reconstitute written for
// T rather than the member of the same name.
template <typename T>
void ReconstituteRecord(T& record, Recon& recon, int32_t version) {
  Reconstitute(record, recon, version);
}
}  // namespace recon_detail

// Lets a plain record type T be serialized without deriving from
// ReconObject: Reconstitute calls the free function
// `void Reconstitute(T&, Recon&, int32_t version)` written for T. The record
// is not owned; the adapter lives for one encode or decode.
template <typename T>
class SimpleReconObject : public ReconObject {
 public:
  SimpleReconObject(T* record, ResType type) : fRecord(record), fType(type) {}

  void Reconstitute(Recon& recon, int32_t version) override {
    recon_detail::ReconstituteRecord(*fRecord, recon, version);
  }
  ResType GetType() const override { return fType; }

 private:
  T* fRecord;
  ResType fType;
};
