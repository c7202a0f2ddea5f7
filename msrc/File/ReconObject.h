#pragma once

#include <cstdint>

#include "msrc/File/ResType.h"

class Recon;

// A record that the serializer can encode and decode: Reconstitute walks its
// fields in a fixed order through a Recon, which reads, writes or only counts
// them, so the one walk defines the format.
class ReconObject {
 public:
  virtual ~ReconObject();
  // Does nothing by default.
  virtual void Reconstitute(Recon& recon, int32_t version);
  // 'Rcon' by default.
  virtual ResType GetType() const;

  static constexpr ResType kDefaultType = MakeResType("Rcon");
};
