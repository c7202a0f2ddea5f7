#include "msrc/File/ResMapEntry.h"

ResMapEntry::~ResMapEntry() { DisposeHandle(); }

void ResMapEntry::AttachHandle(MHandle handle) {
  if (handle != fHandle) DisposeHandle();
  fHandle = handle;
}

MHandle ResMapEntry::TakeHandle() {
  MHandle handle = fHandle;
  fHandle = nullptr;
  return handle;
}

void ResMapEntry::DisposeHandle() {
  if (fHandle != nullptr) DisposeMHandle(fHandle);
  fHandle = nullptr;
}
