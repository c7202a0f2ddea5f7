#include "msrc/File/TypeCache.h"

#include <new>

TypeCache::~TypeCache() {
  // Each link is unlinked before it goes, so its own destructor finds no list.
  while (fNext != nullptr) fNext = std::move(fNext->fNext);
}

int32_t TypeCache::Count() const {
  int32_t count = 0;
  for (const ResCache* resource = fResources.get(); resource != nullptr; resource = resource->fNext.get()) ++count;
  return count;
}

ResCache* TypeCache::ByIndex(int32_t index) const {
  ResCache* resource = fResources.get();
  for (int32_t step = 1; resource != nullptr && step < index; ++step) resource = resource->fNext.get();
  return resource;
}

ResCache* TypeCache::FindId(int16_t id) const {
  for (ResCache* resource = fResources.get(); resource != nullptr; resource = resource->fNext.get()) {
    if (resource->fId == id) return resource;
  }
  return nullptr;
}

ResCache* TypeCache::Prepend() {
  std::unique_ptr<ResCache> resource(new (std::nothrow) ResCache);
  if (resource == nullptr) return nullptr;
  resource->fNext = std::move(fResources);
  fResources = std::move(resource);
  return fResources.get();
}

bool TypeCache::Remove(const ResCache* resource) {
  for (std::unique_ptr<ResCache>* link = &fResources; *link != nullptr; link = &(*link)->fNext) {
    if (link->get() == resource) {
      std::unique_ptr<ResCache> gone = std::move(*link);
      *link = std::move(gone->fNext);
      return true;
    }
  }
  return false;
}
