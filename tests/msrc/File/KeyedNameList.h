#pragma once

#include <cstdint>
#include <vector>

#include "msrc/File/ResType.h"
#include "msrc/Util/FixedStringBuffer.h"

class Recon;

// A small record for serializer tests, laid out like a names list: a count,
// then per entry a key and a name.
struct KeyedNameList {
  struct Entry {
    int32_t key = 0;
    FixedStringBuffer<64> name;
  };

  static constexpr ResType kType = MakeResType("NAME");

  KeyedNameList& Add(int32_t key, const char* name);
  bool operator==(const KeyedNameList& other) const;

  std::vector<Entry> fEntries;
};

// Count, then per entry: Long key, String name. A count read from the payload
// is bounded by what the payload can hold (6 bytes an entry at least), so a
// corrupt count never sizes the list beyond the bytes at hand.
void Reconstitute(KeyedNameList& list, Recon& recon, int32_t version);
