#include "msrc/File/StdResFile.h"

#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/PathSplit.h"

namespace {
// Types that live in a group's sprite file and string file.
constexpr ResType kSpriteFileTypes[] = {StdResFile::kSpriteType, StdResFile::kDrawGroupType, StdResFile::kPaletteType,
                                        StdResFile::kBitmapType, StdResFile::kSprite2Type};
constexpr ResType kStringFileTypes[] = {StdResFile::kCatalogStringsType, StdResFile::kTreeAttributesType,
                                        StdResFile::kStringsType};
}  // namespace

StdResFile::StdResFile() {
  AddComponent(kKindIFF2, ".iff");
  AddComponent(kKindIFF2, ".spf");
  AddComponent(kKindIFF2, ".stx");
  AddComponent(kKindIFF, ".iff");
  AddComponent(kKindIFF, ".spf");
  AddComponent(kKindIFF, ".stx");
  AddComponent(kKindResolve, ".dir");
}

int32_t StdResFile::Open(const StringBuffer& path) {
  const int32_t status = SeqResFile::Open(path);
  if (status != kResErrNone) return status;

  // The earliest member with each extension.
  iResFile* iff = nullptr;
  iResFile* spf = nullptr;
  iResFile* stx = nullptr;
  FixedStringBuffer<260> memberPath;
  FixedStringBuffer<260> extension;
  for (int16_t i = 0; i < CountFiles(); ++i) {
    iResFile* file = GetFile(i);
    file->GetPath(&memberPath);
    PathStripExtension(memberPath.Text(), nullptr, &extension);
    if (stx == nullptr && extension.CompareNoCase(".stx", -1) == 0) stx = file;
    if (spf == nullptr && extension.CompareNoCase(".spf", -1) == 0) spf = file;
    if (iff == nullptr && extension.CompareNoCase(".iff", -1) == 0) iff = file;
  }
  SetError(kResErrNone);
  if (iff == nullptr || spf == nullptr) return kResErrNone;

  if (stx != nullptr) {
    for (const ResType type : kStringFileTypes) ProhibitType(iff, type);
  }
  for (const ResType type : kSpriteFileTypes) ProhibitType(iff, type);
  if (stx != nullptr) {
    for (const ResType type : kStringFileTypes) AddExclusiveType(stx, type);
  }
  for (const ResType type : kSpriteFileTypes) AddExclusiveType(spf, type);
  return kResErrNone;
}
