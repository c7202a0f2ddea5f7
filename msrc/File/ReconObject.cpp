#include "msrc/File/ReconObject.h"

ReconObject::~ReconObject() = default;

void ReconObject::Reconstitute(Recon& /*recon*/, int32_t /*version*/) {}

ResType ReconObject::GetType() const { return kDefaultType; }
