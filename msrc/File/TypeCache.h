#pragma once

#include <cstdint>
#include <memory>

#include "msrc/File/ResCache.h"
#include "msrc/File/ResType.h"

// One type of a generation-1 IFF file in the block file's in-memory cache
// (IFFResFile): a link in the list of types, newest first, with the type's
// resources, newest first. A type stays in the list when its last resource is
// removed. Owns its resources and the rest of the list behind it.
class TypeCache {
 public:
  explicit TypeCache(ResType type) : fType(type) {}
  // Frees the list behind it one link at a time, so that a long list does not
  // recurse.
  ~TypeCache();
  TypeCache(const TypeCache&) = delete;
  TypeCache& operator=(const TypeCache&) = delete;

  int32_t Count() const;
  // The index-th resource counted from 1; an index of 1 or less gives the
  // first. Null past the end.
  ResCache* ByIndex(int32_t index) const;
  ResCache* FindId(int16_t id) const;
  // A new blank resource in front of the others.
  ResCache* Prepend();
  // Unlinks and destroys the resource (disposing of its handle); false when
  // it is not in this type.
  bool Remove(const ResCache* resource);

  std::unique_ptr<TypeCache> fNext;
  ResType fType;
  std::unique_ptr<ResCache> fResources;
};
