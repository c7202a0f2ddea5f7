#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "msrc/File/ResMapEntry.h"
#include "msrc/File/ResType.h"

// One type code of a generation-2 IFF file's index with its resources, in
// file order and then in order of addition. Entries live on the heap, so a
// pointer to one stays good until that entry is erased.
class ResMapType {
 public:
  explicit ResMapType(ResType type) : fType(type) {}

  int32_t Count() const { return static_cast<int32_t>(fEntries.size()); }
  ResMapEntry* At(int32_t index) const { return fEntries[static_cast<size_t>(index)]; }
  // Appends a blank entry.
  ResMapEntry* Append();
  // New entries are blank; surplus entries go from the end.
  void Resize(int32_t count);
  // False when the entry is not one of this type's.
  bool Erase(const ResMapEntry* entry);

  ResType fType;

 private:
  // Room for the next `count` appends, in one new block unless the last
  // block has it.
  void Reserve(size_t count);

  // The entries in order. They are kept in blocks, so that an index of
  // thousands of resources costs a few allocations rather than one each; an
  // entry that goes gives up its handle at once, and its place in the block
  // when the type goes.
  std::vector<ResMapEntry*> fEntries;
  std::vector<std::unique_ptr<ResMapEntry[]>> fBlocks;
  // Entries of the last block not handed out yet.
  size_t fBlockUsed = 0;
  size_t fBlockSize = 0;
};
