#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "msrc/File/IFFBlockChain.h"
#include "msrc/File/IFFBlockHeader.h"
#include "msrc/File/IFFBlockRules.h"
#include "msrc/File/IFFResMap.h"
#include "msrc/File/ResMapEntry.h"
#include "msrc/File/ResType.h"
#include "msrc/File/flatfile.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

// The resource file over a generation-2 IFF file (versions 2.0 and 2.5): a
// 64-byte file header (IFFFileHeader), then a chain of blocks with 76-byte
// headers that carry the resource's type, id, flags (language in the high
// byte) and name (IFFBlockHeader).
//
// On open the file is indexed (IFFResMap) from its stored resource map when
// the version 2.5 header names a usable one, otherwise by walking the chain.
// Resource bytes are read into handles on demand. Before any block header
// changes, the header's map offset is set to 0 and the old map block freed,
// so a file that is not closed properly is read by walking. Closing a
// changed, writable file may defragment it and then writes a fresh map and a
// version 2.5 header that names it.
//
// Saves never lose a resource (see IFFBlockChain for the blocks themselves):
// - A change that leaves every block header as it was (the same bytes, the
//   same size, written again) keeps the stored map: it still describes the
//   file, so nothing else is touched.
// - Before the first change that makes the map stale, the chain is walked
//   once. When it reaches every block the map lists, the map is dropped as
//   described above, and the walk's free total becomes the one stored next.
//   When it does not (a header past which no walk goes, a free block over a
//   listed resource), dropping the map would cut every reader off from what
//   lies beyond: the file is then changed as a whole copy instead, and each
//   operation that changes it ends by writing a fresh map into the copy and
//   putting the copy in the file's place in one step. Should that fail, the
//   file stays exactly as it was and this object writes nothing more.
// - A defragmentation that fails leaves the file as it was, and the close
//   goes on to write the map.
//
// Reading is as lenient as the format allows: a stored map is used when its
// block decodes (short or not), and each entry that names no loadable block
// fails on its own when it is loaded; a block whose id differs from its
// entry loads when its type and size are right. Writing is strict: nothing
// is written or freed at an entry's offset unless the block there is that
// resource.
class IFFResFile2 : public iResFile, public FlatFile {
 public:
  // A block is not what the index says, a block size is impossible, or the
  // chain is broken where space was needed.
  static constexpr int32_t kIFFErrDamaged = kResErrFailed;
  // Space that makes Close defragment a changed file.
  static constexpr int32_t kDefragmentThreshold = 10240;
  static constexpr int32_t kCopyBufferSize = IFFBlockChain<IFFBlockRules>::kCopyBufferSize;

  IFFResFile2();
  // Closes the file first if it is open.
  ~IFFResFile2() override;

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
  int16_t CountTypes() override;
  ResType GetIndType(int16_t index) override;
  int16_t CountResources(ResType type) override;
  MHandle GetResource(ResType type, int16_t id, SwizzleProc swizzle) override;
  MHandle GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) override;
  MHandle GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) override;
  MHandle GetLangResource(ResType type, int16_t id, uint8_t language, SwizzleProc swizzle) override;
  void GetResName(MHandle handle, StringBuffer* name) override;
  ResType GetResType(MHandle handle) override;
  void GetResID(MHandle handle, int16_t* id) override;
  void Reserved1(uint32_t value, int16_t* result) override;
  uint8_t GetResLanguage(MHandle handle) override;
  void MakeUniqueName(ResType type, StringBuffer* name) override;
  int16_t UniqueID(ResType type) override;
  void DetachResource(MHandle handle) override;
  void Reserved2(MHandle handle) override;
  bool IsSwizzled(MHandle handle) override;
  void AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) override;
  void AddLangResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, uint8_t language,
                       bool swizzled) override;
  void WriteResource(MHandle handle) override;
  void RemoveResource(MHandle handle) override;
  // The language is ignored: it stays as it is.
  void SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) override;

  // Writes a version 2.5 header naming `mapOffset` at the start of `file`
  // (this file or another) and flushes it. While this file records a map, its
  // block is freed first, and only when it really is an 'rsmp' block of the
  // chain.
  int32_t WriteFileHeader(FlatFile& file, int32_t mapOffset);
  // Moves every live block down over the free blocks and old map blocks and
  // shortens the file. Close runs it; a damaged chain is left as it is.
  int32_t Defragment();

  // State a test or a tool may look at.
  int32_t MapOffset() const { return fMapOffset; }
  bool IsDirty() const { return fDirty; }
  int32_t InvalidTotal() const { return fChain.InvalidTotal(); }
  int32_t FreeSpaceHint() const { return fChain.Hint(); }
  // True when the last Open indexed the file from its stored map.
  bool OpenedFromMap() const { return fOpenedFromMap; }
  // The version the file header carried at the last Open: 20 or 25.
  int32_t OpenedVersion() const { return fOpenedVersion; }
  const IFFResMap* Map() const { return fMap.get(); }
  // True while changes go to a whole copy of a damaged file (see above).
  bool SavesAsAWhole() const { return FlatFile::InShadow(); }

 private:
  using Chain = IFFBlockChain<IFFBlockRules>;

  bool OpenCheck();
  ResMapEntry* OwnEntry(MHandle handle, ResType* type);

  bool TryStoredMap(int32_t mapOffset, int32_t fileLength);
  void WalkChain(int32_t fileLength);

  // Runs before anything in the file is written: marks the file changed and
  // drops a recorded map, walking the chain first to see whether that is
  // safe (see above).
  int32_t BeginChange();
  // The walk before the first change of a file opened through its map.
  int32_t Survey();
  // Ends every public operation that may have changed the file: a change made
  // to a whole copy is given a fresh map and put in the file's place, or
  // thrown away. Returns `status`, or the failure of that step.
  int32_t Settle(int32_t status);

  // Frees the entry's current block. A block that is not this resource is
  // left alone.
  int32_t FreeEntryBlock(ResMapEntry* entry, ResType type);
  // Frees the block the entry was replaced from, once it is no longer needed.
  int32_t FreeReplacedBlock(ResMapEntry* entry, ResType type);
  // `alongEnd`: see IFFBlockChain::Load.
  int32_t Load(ResMapEntry* entry, ResType type, SwizzleProc swizzle, int32_t alongEnd = 0);
  MHandle LoadAndAnswer(ResMapEntry* entry, ResType type, SwizzleProc swizzle, int32_t alongEnd = 0);
  // Readers that go through a type by index (a listing) load its resources
  // one after another: where the next ones are not loaded yet and lie close
  // behind this one in the file, the end of the last of them, so that they
  // are read along with it; 0 otherwise.
  int32_t AlongEnd(const ResMapType& held, int32_t index) const;
  IFFBlockHeader HeaderFor(ResType type, const ResMapEntry& entry, int32_t payloadSize) const;
  // Writes the entry's handle; the work of WriteResource.
  int32_t WriteEntry(ResMapEntry* entry, ResType type);
  // The work of DetachResource.
  int32_t Detach(ResMapEntry* entry, ResType type);
  // Writes every resource added and not yet written (the types from the last
  // to the first, each one's entries likewise) and frees replaced blocks;
  // the first failure.
  int32_t WritePending();
  int32_t WriteMap();
  // Cuts a name to 63 characters, reporting "name too long" when it must.
  static void StoreName(const StringBuffer& name, StringBuffer* stored);

  std::unique_ptr<IFFResMap> fMap;
  Chain fChain;
  // The map block the file header names, 0 for none.
  int32_t fMapOffset = 0;
  // The recorded map offset holds an 'rsmp' block of the chain, so dropping
  // the map may free it.
  bool fMapBlockIsMap = false;
  bool fDirty = false;
  bool fOpenedFromMap = false;
  int32_t fOpenedVersion = 0;
  // The chain was walked since the map that is recorded was read or written.
  bool fSurveyed = false;
  // What that walk found the map to list where no walk reaches, as (start,
  // end) pairs: while there is any, changes go to a whole copy.
  std::vector<std::pair<int32_t, int32_t>> fUnreached;
  // What a whole copy began from, so that throwing it away puts it back.
  struct Before {
    int32_t mapOffset = 0;
    bool mapBlockIsMap = false;
    int32_t invalidTotal = 0;
    int32_t hint = -1;
  } fBeforeCopy;
  // A change to a whole copy that could not be put in place: the file is as
  // it was, this object's index is not, and nothing more is written.
  int32_t fWriteFailure = kResErrNone;
  std::unique_ptr<FixedStringBuffer<260>> fSuspendedPath;
};
