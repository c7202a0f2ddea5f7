#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "msrc/File/ResType.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

// Up to eight resource files that answer as one. Lookups ask the members in
// chain order; new resources go to the first writable member that accepts
// their type. Each member carries a routing list: in prohibitive mode (the
// initial one) the list names the types it refuses, in exclusive mode the only
// types it accepts, so an exclusive member with an empty list takes nothing.
//
// The chain does not own its members: it neither closes nor deletes them. It
// has no path of its own, so Create, Delete and Open answer kResErrUnsupported
// and GetPath leaves its out value alone (with that error); the file groups
// derived from it provide them.
class ChainResFile : public iResFile {
 public:
  static constexpr int16_t kMaxFiles = 8;

  ChainResFile();
  ~ChainResFile() override;

  // Puts the member into the first free entry, prohibitive with an empty
  // list. A ninth member is reported ("not enough room for files") and not
  // added.
  void AddFile(iResFile* file);
  // Removes every entry holding the member; later entries move up with their
  // lists and modes.
  void RemoveFile(iResFile* file);
  int16_t CountFiles() const;
  // index counts from 0; null beyond the chain.
  iResFile* GetFile(int16_t index) const;
  // Refuses the type on the member's (first) entry. A member with an exclusive
  // non-empty list is reported and left as it is; a member not in the chain is
  // ignored. Duplicates are not checked.
  void ProhibitType(iResFile* file, ResType type);
  // Makes the member accept the type, exclusively. A member with a prohibitive
  // non-empty list is reported and left as it is.
  void AddExclusiveType(iResFile* file, ResType type);

  // The routing of the member at `index` (from 0), for tools and tests.
  std::span<const ResType> MemberTypes(int16_t index) const;
  bool MemberProhibitive(int16_t index) const;
  // Whether the member at `index` accepts the type; false beyond the chain.
  bool MemberAccepts(int16_t index, ResType type) const;

  int32_t Create(const StringBuffer& path) override;
  int32_t Delete(const StringBuffer& path) override;
  int32_t Open(const StringBuffer& path) override;
  int32_t Suspend() override;
  int32_t Resume() override;
  int32_t Close() override;
  void Flush() override;
  bool IsWritable() override;
  void GetPath(StringBuffer* path) override;
  bool ValidFile() override;
  // Types of the first member (its last index first), then each later
  // member's types not yet listed. A member that cannot count its types is
  // left out and its error kept.
  int16_t CountTypes() override;
  // 0 and kResErrTypeIndex outside 1..CountTypes().
  ResType GetIndType(int16_t index) override;
  int16_t CountResources(ResType type) override;
  MHandle GetResource(ResType type, int16_t id, SwizzleProc swizzle) override;
  MHandle GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) override;
  // Indexes run through the first member's resources of the type, then the
  // second member's, and so on.
  MHandle GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) override;
  MHandle GetLangResource(ResType type, int16_t id, uint8_t language, SwizzleProc swizzle) override;
  void GetResName(MHandle handle, StringBuffer* name) override;
  ResType GetResType(MHandle handle) override;
  void GetResID(MHandle handle, int16_t* id) override;
  void Reserved1(uint32_t value, int16_t* result) override;
  uint8_t GetResLanguage(MHandle handle) override;
  // An empty name becomes "anonymous 0"; then every member makes it unique in
  // turn.
  void MakeUniqueName(ResType type, StringBuffer* name) override;
  // The first member's; 0 for an empty chain.
  int16_t UniqueID(ResType type) override;
  void DetachResource(MHandle handle) override;
  void Reserved2(MHandle handle) override;
  bool IsSwizzled(MHandle handle) override;
  void SetResID(MHandle handle, int16_t id) override;
  void AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) override;
  // Replaces an existing resource of the type, id and language (a failure to
  // remove it stops the add), then gives the handle to the first writable
  // member that accepts the type: kResErrTypeRefused when none took it and
  // some member refused the type, else kResErrNoMemberTook.
  void AddLangResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, uint8_t language,
                       bool swizzled) override;
  void WriteResource(MHandle handle) override;
  void RemoveResource(MHandle handle) override;
  void SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) override;

  // 1 when some writable member accepts the type, else 0. Leaves the error
  // code alone.
  virtual int16_t CanWriteType(ResType type);

 private:
  struct Member {
    iResFile* fFile = nullptr;
    std::vector<ResType> fTypes;
    int16_t fProhibitive = 1;
  };

  int16_t FindMember(const iResFile* file) const;
  // The union of the members' types, in the order CountTypes describes.
  std::vector<ResType> TypeUnion();

  std::array<Member, kMaxFiles> fMembers;
};
