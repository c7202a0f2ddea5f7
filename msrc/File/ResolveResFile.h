#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "msrc/File/ResType.h"
#include "msrc/File/ResolveRecord.h"
#include "msrc/File/ResolveSite.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/PtrList.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

// A read-only resource file over folders of loose files (its resolve site,
// see ResolveSite). Each file is one resource: the type comes from its
// extension, the id and name from its name, written underscore, decimal id,
// underscore, name, extension: "_128_chair.spr" is resource 128 named chair of
// type 'spr'. The file groups use it for an object's ".dir" folder.
//
// Type codes given by callers are left-aligned first (0x00435354 becomes
// 0x43535400), and a code's extension is a dot and its three leading
// characters ('OBJD' looks for ".OBJ"; '****' for ".*"). File names are
// matched without regard to case, as the platform's own search does.
//
// Every handle a lookup gives out stays on the loaded list, with the open
// file it came from, until the caller detaches or releases it; Close keeps
// them. Destruction closes their files and disposes of the handles still
// listed, as every resource file disposes of the handles it still owns: a
// chain that looks a resource up only to see whether it exists (adding through
// a file group does) would otherwise leave the handle behind for good.
//
// Every operation except construction, Open, Create, Delete, Suspend, Resume,
// IsWritable, IsSwizzled and ValidFile reports "no resolve site to thunk to"
// when the file is not open. Those that need the site then fail with
// kResErrNotOpen; the others (the handle queries, DetachResource, OwnsHandle,
// Close and the unsupported writes) carry on, so handles loaded before Close
// stay recognisable.
class ResolveResFile : public iResFile {
 public:
  // The extension of code 0x2A2A2A2A.
  static constexpr ResType kAnyType = 0x2A2A2A2A;

  ResolveResFile();
  // Drops the site and closes the files of the handles still loaded; the
  // handles stay with their callers.
  ~ResolveResFile() override;

  // kResErrUnsupported.
  int32_t Create(const StringBuffer& path) override;
  int32_t Delete(const StringBuffer& path) override;
  // Builds the site from the path; kResErrAlreadyOpen (the file closed) when
  // the site is empty or one of its folders cannot be listed. Opening again
  // is reported ("double opening") and replaces the site.
  int32_t Open(const StringBuffer& path) override;
  // 0; nothing happens.
  int32_t Suspend() override;
  int32_t Resume() override;
  // Drops the site; the loaded list stays. 0.
  int32_t Close() override;
  // kResErrUnsupported.
  void Flush() override;
  bool IsWritable() override;
  // The site's first folder.
  void GetPath(StringBuffer* path) override;
  // A site is present and every folder of it can be listed.
  bool ValidFile() override;
  // The distinct codes of the names of the site's files (sub-folders left
  // out), listed from the disk at every call; codes are case-sensitive. None
  // at all is reported ("get types failed") with kResErrNotFound.
  int16_t CountTypes() override;
  // 0 and kResErrFailed outside 1..CountTypes().
  ResType GetIndType(int16_t index) override;
  // The number of entries of the type that the file system layer catalogues
  // in the site's folders (none while nothing is mounted into gFileSystem).
  int16_t CountResources(ResType type) override;
  // A handle already loaded for the id and type, or the first file
  // _<id>_*.<ext> of the first folder that has one.
  MHandle GetResource(ResType type, int16_t id, SwizzleProc swizzle) override;
  // A handle already loaded for the name (case-sensitive) and type, or the file
  // <name>.<ext>, or failing that the first _*_<name>.<ext>, of the first folder
  // that has one.
  MHandle GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) override;
  // The index-th catalogued entry (see CountResources), loaded afresh; 0 and
  // kResErrFailed outside 1..CountResources().
  MHandle GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) override;
  void GetResName(MHandle handle, StringBuffer* name) override;
  ResType GetResType(MHandle handle) override;
  // An id outside 0..32766 (kNoId included) is reported ("id out of range")
  // and given cut to 16 bits.
  void GetResID(MHandle handle, int16_t* id) override;
  void Reserved1(uint32_t value, int16_t* result) override;
  void MakeUniqueName(ResType type, StringBuffer* name) override;
  // 0, kResErrUnsupported.
  int16_t UniqueID(ResType type) override;
  // Takes the handle off the loaded list and closes its file; the caller
  // keeps the handle. kResErrNotOwned for a handle that is not listed.
  void DetachResource(MHandle handle) override;
  void Reserved2(MHandle handle) override;
  // Always true: lookups call the callback on every fresh load.
  bool IsSwizzled(MHandle handle) override;
  // The writes: kResErrUnsupported; an added handle stays the caller's.
  void AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) override;
  void WriteResource(MHandle handle) override;
  void RemoveResource(MHandle handle) override;
  void SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) override;

  // 1 if the handle is on the loaded list, else 0.
  virtual int16_t OwnsHandle(MHandle handle);

  // ---- Names and codes -----------------------------------------------------

  // Below 0x100 shifted left by 24 bits, up to 0xFFFF by 16, up to 0xFFFFFF by
  // 8; larger codes stay.
  static ResType AlignType(ResType type);
  // "." and the code's three leading characters, up to a zero byte; ".*" for
  // kAnyType.
  static std::string TypeExtension(ResType alignedType);
  // The code of a name whose last dot is followed by one to three characters,
  // packed from the top byte down ("chair.spr" is 0x73707200); 0 otherwise.
  static ResType CodeOfFileName(std::string_view fileName);
  // A name as listed: "_<id>_<name>" carries an id and a name (no second
  // underscore: the rest is the id and the name is empty); other names have
  // no id and are the name. The name is lowered and cut at its last dot.
  static void ParseEntryName(std::string_view fileName, std::string* name, int32_t* id);
  // A name found by id: the part after the second underscore up to the first
  // dot, case kept.
  static std::string FoundName(std::string_view fileName);
  // The id between the first and the second underscore of a found name.
  static int32_t FoundId(std::string_view fileName);
  // A decimal number, optionally negative, within 32 bits; anything else
  // (empty, other characters, too large) is kNoId.
  static int32_t ParseId(std::string_view text);

  const ResolveSite* Site() const { return fSite.get(); }
  // The number of handles on the loaded list.
  int16_t CountLoaded() const { return fLoaded.Count(); }

 private:
  // A handle given out and the record of the file it came from.
  struct LoadedResource {
    std::unique_ptr<ResolveRecord> fRecord;
    MHandle fHandle = nullptr;
  };
  // One catalogued file of a type (CountResources, GetIndResource).
  struct Entry {
    std::string fFolder;
    std::string fName;
    int32_t fId = ResolveRecord::kNoId;
  };

  // Reports "no resolve site to thunk to" when there is no site.
  bool CheckSite();
  LoadedResource* FindLoaded(MHandle handle) const;
  // Reports "non-member handle" and sets kResErrNotOwned when the handle is
  // not listed.
  LoadedResource* Member(MHandle handle);
  std::vector<Entry> CollectEntries(ResType alignedType);
  std::vector<ResType> ListTypes();

  // The search outcomes: 0, kResErrNotFound, kMHandleErrNoMemory or
  // kResErrFailed. `name` null: by id.
  int32_t Resolve(const std::string& folder, ResType alignedType, const std::string* name, int32_t id,
                  std::unique_ptr<ResolveRecord>* record);
  // Tries every folder of the site in order.
  int32_t ResolveInSite(ResType alignedType, const std::string* name, int32_t id,
                        std::unique_ptr<ResolveRecord>* record);
  // The first file of the folder (in byte order of lowered names) matching the
  // pattern, or kResErrNotFound / kResErrFailed (folder not listable).
  static int32_t Search(const std::string& folder, const std::string& pattern, std::string* found);
  // Reads the record's file into a new handle and lists the pair.
  MHandle Load(std::unique_ptr<ResolveRecord> record, SwizzleProc swizzle);

  std::unique_ptr<ResolveSite> fSite;
  PtrList<LoadedResource> fLoaded;
};
