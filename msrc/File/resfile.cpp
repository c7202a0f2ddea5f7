#include "msrc/File/resfile.h"

#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/XAssert.h"

namespace {
constexpr const char* kSourcePath = "msrc/File/resfile";
}  // namespace

iResFile* iResFile::sLiveFiles = nullptr;

iResFile::iResFile() : fNext(sLiveFiles) { sLiveFiles = this; }

iResFile::~iResFile() {
  iResFile** link = &sLiveFiles;
  while (*link != nullptr && *link != this) link = &(*link)->fNext;
  if (*link == nullptr) {
    XASSERT(kSourcePath, __LINE__, "false", "could not unlink res file");
    return;
  }
  *link = fNext;
}

MHandle iResFile::GetLangResource(ResType type, int16_t id, uint8_t language, SwizzleProc swizzle) {
  if (language != 0) {
    SetError(kResErrNoLanguages);
    return nullptr;
  }
  return GetResource(type, id, swizzle);
}

uint8_t iResFile::GetResLanguage(MHandle handle) {
  int16_t scratch = 0;
  GetResID(handle, &scratch);
  return 0;
}

void iResFile::SetResID(MHandle handle, int16_t id) {
  FixedStringBuffer<64> name;
  GetResName(handle, &name);
  if (Error() != kResErrNone) return;
  const uint8_t language = GetResLanguage(handle);
  SetResInfo(handle, id, name, language);
}

void iResFile::AddLangResource(MHandle handle, ResType type, int16_t id, const StringBuffer& /*name*/,
                               uint8_t /*language*/, bool swizzled) {
  const FixedStringBuffer<64> unnamed;
  AddResource(handle, type, id, unnamed, swizzled);
}

void iResFile::GetIndString(StringBuffer* text, int16_t /*setId*/, int16_t /*index*/) {
  // This build reads no string resources, so there is never a string to give:
  // the text stays empty and the error code is left as it was.
  text->Clear();
}

void iResFile::ReleaseResource(MHandle handle) {
  DetachResource(handle);
  if (Error() != kResErrNone) return;
  // Only the dispose's own result counts: the memory layer's last error is
  // process-wide and may be left over from an unrelated handle.
  DisposeMHandle(handle);
  if (MHandleError() != 0) SetError(MHandleError());
}
