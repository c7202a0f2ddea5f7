#include "cli/ReadOnlyIff.h"

#include "msrc/File/IFFResFile.h"
#include "msrc/File/IFFResFile2.h"

std::unique_ptr<iResFile> OpenIffReadOnly(const StringBuffer& path, int32_t* status) {
  auto mapped = std::make_unique<IFFResFile2>();
  mapped->SetReadOnlyAccess(true);
  *status = mapped->Open(path);
  if (*status == 0) return mapped;
  if (*status != kResErrNotIff) return nullptr;
  auto blocks = std::make_unique<IFFResFile>();
  blocks->SetReadOnlyAccess(true);
  *status = blocks->Open(path);
  if (*status == 0) return blocks;
  return nullptr;
}
