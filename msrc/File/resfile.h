#pragma once

#include <cstdint>

#include "msrc/File/ResType.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

// Converts freshly read resource bytes to their in-memory form. A file calls
// it once, on the locked bytes, for a resource not yet marked swizzled.
using SwizzleProc = void (*)(void* data, int32_t size);

// Error codes every resource file keeps in its Error(); 0 is success. The
// memory layer's codes (kMHandleErr..., -198 to -200) pass through unchanged.
constexpr int32_t kResErrNone = 0;
constexpr int32_t kResErrFailed = -1;  // a resolve-site search failed; its index out of range
constexpr int32_t kResErrDeleteFailed = -39;
constexpr int32_t kResErrNoSuchFile = -40;
constexpr int32_t kResErrCreateFailed = -42;
constexpr int32_t kResErrFileExists = -43;
constexpr int32_t kResErrNotWritable = -45;
constexpr int32_t kResErrShortWrite = -46;
constexpr int32_t kResErrAlreadyOpen = -47;  // also: a resolve-site path that does not resolve
constexpr int32_t kResErrShortRead = -48;    // also: a position the file refused
constexpr int32_t kResErrNotOpen = -49;
constexpr int32_t kResErrCannotSuspend = -50;  // Suspend / Resume not possible
constexpr int32_t kResErrNoLanguages = -91;
constexpr int32_t kResErrTypeRefused = -92;
constexpr int32_t kResErrNotIff = -93;
constexpr int32_t kResErrNoMemberTook = -94;
constexpr int32_t kResErrUnsupported = -95;
constexpr int32_t kResErrNotFound = -98;
constexpr int32_t kResErrNotOwned = -99;  // also: no resource of the type carries the name
constexpr int32_t kResErrTypeIndex = -100;
constexpr int32_t kResErrNoComponent = -250;

// The abstract resource file: a store of typed, numbered, optionally named
// resources, each one's bytes travelling in an MHandle. A handle a lookup
// returns stays the file's until the caller detaches or releases it; closing
// the file disposes of the rest. Handles are identified by address.
//
// Operations set the file's error code and report failure through it,
// returning 0, false or null. The virtual operations keep this fixed order;
// derived classes append theirs after them.
//
// Every live resource file is on one process-wide list, newest first.
class iResFile {
 public:
  iResFile();
  // Closes nothing itself; unlinks the file from the live list.
  virtual ~iResFile();
  iResFile(const iResFile&) = delete;
  iResFile& operator=(const iResFile&) = delete;

  virtual int32_t Create(const StringBuffer& path) = 0;
  virtual int32_t Delete(const StringBuffer& path) = 0;
  virtual int32_t Open(const StringBuffer& path) = 0;
  virtual int32_t Suspend() = 0;
  virtual int32_t Resume() = 0;
  virtual int32_t Close() = 0;
  virtual void Flush() = 0;
  virtual bool IsWritable() = 0;
  virtual void GetPath(StringBuffer* path) = 0;
  virtual bool ValidFile() = 0;
  virtual int16_t CountTypes() = 0;
  // index counts from 1.
  virtual ResType GetIndType(int16_t index) = 0;
  virtual int16_t CountResources(ResType type) = 0;
  virtual MHandle GetResource(ResType type, int16_t id, SwizzleProc swizzle) = 0;
  virtual MHandle GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) = 0;
  // index counts from 1.
  virtual MHandle GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) = 0;
  // Without languages: a non-zero language is kResErrNoLanguages and null,
  // without a lookup; language 0 is GetResource.
  virtual MHandle GetLangResource(ResType type, int16_t id, uint8_t language, SwizzleProc swizzle);
  virtual void GetResName(MHandle handle, StringBuffer* name) = 0;
  virtual ResType GetResType(MHandle handle) = 0;
  virtual void GetResID(MHandle handle, int16_t* id) = 0;
  // Holds its place; every kind answers kResErrUnsupported.
  virtual void Reserved1(uint32_t value, int16_t* result) = 0;
  // Without languages: 0, after asking GetResID so that a foreign handle
  // still sets the error.
  virtual uint8_t GetResLanguage(MHandle handle);
  virtual void MakeUniqueName(ResType type, StringBuffer* name) = 0;
  virtual int16_t UniqueID(ResType type) = 0;
  virtual void DetachResource(MHandle handle) = 0;
  // Holds its place; every kind answers kResErrUnsupported.
  virtual void Reserved2(MHandle handle) = 0;
  virtual bool IsSwizzled(MHandle handle) = 0;
  // Keeps the name and the language; stops when GetResName fails.
  virtual void SetResID(MHandle handle, int16_t id);
  virtual void AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) = 0;
  // Without languages: AddResource with an empty name; name and language are
  // dropped.
  virtual void AddLangResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, uint8_t language,
                               bool swizzled);
  virtual void WriteResource(MHandle handle) = 0;
  virtual void RemoveResource(MHandle handle) = 0;
  virtual void SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) = 0;
  // The index-th string (from 1) of string set `setId`; empty when there is
  // none.
  virtual void GetIndString(StringBuffer* text, int16_t setId, int16_t index);

  int32_t Error() const { return fError; }
  int32_t SetError(int32_t code) { return fError = code; }
  // Detaches the handle and, when that succeeded, disposes of it. A memory
  // layer failure becomes the file's error.
  void ReleaseResource(MHandle handle);

  // The live list, newest first.
  static iResFile* FirstLiveFile() { return sLiveFiles; }
  iResFile* NextLiveFile() const { return fNext; }

 private:
  static iResFile* sLiveFiles;

  iResFile* fNext;
  int32_t fError = kResErrNone;
};
