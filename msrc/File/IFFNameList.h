#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "msrc/File/ResType.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/StringBuffer.h"

class Recon;

// The names cache of a generation-1 IFF file: the names of its resources,
// each under a key that the resource's block header carries as its name
// index. An ordered list of (key, name) entries, names of at most 63
// characters, and a dirty flag saying that the list differs from what the
// file holds. A new list is empty and dirty.
//
// Stored as the internal resource 'NAME' id 1 through the serializer (see
// Reconstitute below). Files may instead hold the older form as 'NAME' id 0,
// read by AppendOldForm and never written.
class IFFNameList {
 public:
  static constexpr ResType kType = MakeResType("NAME");
  static constexpr int32_t kVersion = 0;
  static constexpr int32_t kNoKey = -1;
  static constexpr int32_t kMaxNameLength = 63;

  struct Entry {
    int32_t fKey = 0;
    FixedStringBuffer<64> fName;
  };

  IFFNameList() = default;

  // A key of -1 does nothing. Otherwise the entry with the key, if any, goes,
  // and a non-empty name is appended under the key (cut to 63 characters);
  // the list is then dirty.
  void SetName(int32_t key, const StringBuffer& name);
  // 1 + the largest key, counting from 0 (so 1 for an empty list). When the
  // largest key is the largest 32-bit value, the smallest positive key not in
  // use.
  int32_t NextKey() const;
  // The first entry with the key; null when there is none, and always for
  // kNoKey.
  const Entry* FindKey(int32_t key) const;
  // The index of the first entry from `start` on whose name equals `name`,
  // ignoring the case of 'A'..'Z'; -1 when there is none.
  int32_t FindName(const StringBuffer& name, int32_t start = 0) const;

  // Appends the records of the older form, in order, to the list:
  //
  //   4 bytes  key, little-endian, signed
  //   1 byte   name length L
  //   L bytes  the name, no terminator
  //
  // each record L + 5 bytes after the one before, until the end of the
  // payload. A record that runs past the end is not taken; names are cut to
  // 63 characters and at a zero byte. The dirty flag stays as it is.
  void AppendOldForm(const uint8_t* bytes, int32_t size);

  int32_t Count() const { return static_cast<int32_t>(fEntries.size()); }
  const Entry& At(int32_t index) const { return fEntries[static_cast<std::size_t>(index)]; }
  std::vector<Entry>& Entries() { return fEntries; }
  const std::vector<Entry>& Entries() const { return fEntries; }

  bool IsDirty() const { return fDirty; }
  void SetDirty(bool dirty) { fDirty = dirty; }

 private:
  std::vector<Entry> fEntries;
  bool fDirty = true;
};

// The walk that stores and reads the names cache (type 'NAME', version 0),
// payload in the writer's byte order behind the serializer's 12-byte header:
//
//   Long entry count N, then N times:
//     Long key, String name
//
// Strings are the text, a zero and, when the next item would start at an odd
// offset, a padding byte (0xA3 as written here) that readers skip. On
// reading, a count is bounded by what the payload can hold (6 bytes an entry
// at least) before anything is sized by it, a negative count reads as 0, and
// an entry that runs past the end of the payload is dropped with all after
// it: the list keeps the names read so far.
void Reconstitute(IFFNameList& list, Recon& recon, int32_t version);
