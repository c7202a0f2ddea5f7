#include "msrc/File/ResCache.h"

ResCache::~ResCache() {
  // Each link is unlinked before it goes, so its own destructor finds no list.
  while (fNext != nullptr) fNext = std::move(fNext->fNext);
  DisposeHandle();
}

void ResCache::AttachHandle(MHandle handle) {
  if (fHandle != handle) DisposeHandle();
  fHandle = handle;
}

MHandle ResCache::TakeHandle() {
  MHandle handle = fHandle;
  fHandle = nullptr;
  return handle;
}

void ResCache::DisposeHandle() {
  if (fHandle != nullptr) DisposeMHandle(fHandle);
  fHandle = nullptr;
}
