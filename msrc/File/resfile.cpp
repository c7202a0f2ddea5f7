#include "msrc/File/resfile.h"

#include <algorithm>
#include <cstring>

#include "msrc/File/strset.h"
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

void iResFile::GetIndString(StringBuffer* text, int16_t setId, int16_t index) {
  StringSet set;
  set.Load(this, setId, false);
  text->Clear();
  if (index < 1 || index > set.Count()) return;
  const char* found = set.GetString(index);
  if (found == nullptr) return;
  // The string comes from the file: cut quietly to what the caller has room for.
  const auto length = static_cast<int32_t>(std::min<size_t>(std::strlen(found), INT32_MAX));
  text->Append(found, std::min(length, std::max(text->Capacity() - 1, 0)));
}

void iResFile::ReleaseResource(MHandle handle) {
  DetachResource(handle);
  if (Error() != kResErrNone) return;
  // Only the dispose's own result counts: the memory layer's last error is
  // process-wide and may be left over from an unrelated handle.
  DisposeMHandle(handle);
  if (MHandleError() != 0) SetError(MHandleError());
}
