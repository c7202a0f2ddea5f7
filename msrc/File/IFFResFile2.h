#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "msrc/File/IFFBlockHeader.h"
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
// Resource bytes are read into handles on demand. Before anything in the file
// changes, the header's map offset is set to 0 and the old map block freed, so
// a file that is not closed properly is read by walking. Closing a changed,
// writable file may defragment it and then writes a fresh map and a version
// 2.5 header that names it.
//
// Damaged files: every walk stops at a header that cannot be read, a size
// below 76 or above 0x40000000, or a block end beyond 32 bits. Space is taken
// only from free blocks inside the chain or at its true end: when the chain
// stops short of the end of the file at a block header it cannot believe, or
// its last block is a resource that runs past the end of the file, nothing is
// appended (error kIFFErrDamaged) and the bytes there are left alone; fewer
// than 76 stray bytes after the last block are not a block and are written
// over. Defragmentation leaves such a file as it is. A last block of free
// space that runs past the end of the file is what a program that stopped in
// the middle of an append leaves behind: the chain ends at its start, and the
// next append goes there.
//
// Interrupted saves: every change is ordered so that a program stopping
// between two host calls leaves a chain a walk can follow, with every
// resource it held before or after the change. Defragmentation keeps that
// promise for every block except one larger than the copy buffer that moves
// by less than its own size and a header (it is written over its old place
// before its new header can be whole) or by more than 0x40000000 bytes.
class IFFResFile2 : public iResFile, public FlatFile {
 public:
  // A block is not what the index says, a block size is impossible, or the
  // chain is broken where space was needed.
  static constexpr int32_t kIFFErrDamaged = kResErrFailed;
  // Space that makes Close defragment a changed file.
  static constexpr int32_t kDefragmentThreshold = 10240;
  static constexpr int32_t kCopyBufferSize = 51200;

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
  // block is freed first, and only when it really is an 'rsmp' block.
  int32_t WriteFileHeader(FlatFile& file, int32_t mapOffset);
  // Moves every live block down over the free blocks and old map blocks and
  // shortens the file. Close runs it; a damaged chain is left as it is.
  int32_t Defragment();

  // State a test or a tool may look at.
  int32_t MapOffset() const { return fMapOffset; }
  bool IsDirty() const { return fDirty; }
  int32_t InvalidTotal() const { return fMap != nullptr ? fMap->InvalidTotal() : 0; }
  int32_t FreeSpaceHint() const { return fHint; }
  // True when the last Open indexed the file from its stored map.
  bool OpenedFromMap() const { return fOpenedFromMap; }
  // The version the file header carried at the last Open: 20 or 25.
  int32_t OpenedVersion() const { return fOpenedVersion; }
  const IFFResMap* Map() const { return fMap.get(); }

 private:
  // What a walk found at an offset.
  enum class ChainStep {
    kBlock,   // a header with a believable size
    kEnd,     // no whole header there (or it could not be read)
    kBroken,  // a header whose size cannot be right
    kTail,    // free space that runs past the end of the file: the chain ends here
  };

  // Block headers read in one call together with what follows them, for the
  // length of one walk; forgotten whenever the walk writes.
  struct ReadAhead {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t start = 0;
    int32_t count = 0;
  };

  bool OpenCheck();
  ResMapEntry* OwnEntry(MHandle handle, ResType* type);

  bool TryStoredMap(int32_t mapOffset, int32_t fileLength);
  void WalkChain(int32_t fileLength);
  ChainStep ReadChainBlock(int32_t offset, int32_t fileLength, IFFBlockHeader* header, ReadAhead* ahead = nullptr);
  // The header at `offset` from what `ahead` holds, reading on from there
  // when it holds too little.
  int32_t ReadHeaderAhead(int32_t offset, int32_t fileLength, IFFBlockHeader* header, ReadAhead* ahead);

  int32_t ReadBlockHeader(int32_t offset, IFFBlockHeader* header);
  // Marks the file changed and drops a recorded map, then writes.
  int32_t WriteBlockHeader(int32_t offset, const IFFBlockHeader& header);
  int32_t BeginChange();
  // The payload first, then the header, so a block whose payload did not
  // reach the disk keeps the header it had.
  int32_t WriteBlock(int32_t offset, const IFFBlockHeader& header, MHandle handle);
  int32_t FreeBlock(int32_t offset, const IFFBlockHeader& header);
  // Reads the header of the block at `offset` and checks that it is the
  // resource of that type and id: kIFFErrDamaged when it is not.
  int32_t CheckBlock(int32_t offset, ResType type, int16_t id, IFFBlockHeader* header);
  // Frees the entry's current block. A block that is not this resource is
  // left alone.
  int32_t FreeEntryBlock(ResMapEntry* entry, ResType type);
  // Frees the block the entry was replaced from, once it is no longer needed.
  int32_t FreeReplacedBlock(ResMapEntry* entry, ResType type);
  // CheckBlock for a header already read.
  static int32_t CheckHeader(int32_t offset, const IFFBlockHeader& header, ResType type, int16_t id);
  int32_t Allocate(int32_t payloadSize, int32_t* offset, bool* appended);
  // Gives back a block from Allocate that could not be written.
  void ReleaseBlock(int32_t offset, int32_t size, bool appended);
  int32_t Load(ResMapEntry* entry, ResType type, SwizzleProc swizzle);
  // A new handle holding `payloadSize` bytes, copied from `bytes` or, when
  // that is null, read at the file's current position, and passed through
  // `swizzle` when one is given; null with the failure in `*status`.
  MHandle PayloadHandle(int32_t payloadSize, const uint8_t* bytes, SwizzleProc swizzle, int32_t* status);
  // How many bytes from `offset` belong to its block at most, as far as the
  // known block starts tell: 0 when they tell nothing.
  int32_t KnownExtent(int32_t offset) const;
  // Records a block written at `offset`, and where the next one starts.
  void NoteBlock(int32_t offset, int32_t size);
  // The file was cut to `length`: no block starts beyond it.
  void NoteLength(int32_t length);
  // A buffer of at least `size` bytes, kept for the next call; null when
  // there is no memory for it.
  uint8_t* Scratch(int32_t size);
  MHandle LoadAndAnswer(ResMapEntry* entry, ResType type, SwizzleProc swizzle);
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
  // Moves the block of `size` bytes at `offset` down by `gap` bytes and
  // leaves one free block from its new end to its old one. `gapIsOneBlock`:
  // the gap is a single free block now.
  int32_t MoveBlock(int32_t offset, int32_t gap, int32_t size, bool gapIsOneBlock, uint8_t* buffer);
  // Copies `count` bytes at `offset` down by `gap`, lowest piece first.
  int32_t CopyDown(int32_t offset, int32_t gap, int32_t count, uint8_t* buffer);
  // Cuts a name to 63 characters, reporting "name too long" when it must.
  static void StoreName(const StringBuffer& name, StringBuffer* stored);

  std::unique_ptr<IFFResMap> fMap;
  // Offset where the next free-space search starts; -1 and 0 mean the first
  // block.
  int32_t fHint = -1;
  // The map block the file header names, 0 for none.
  int32_t fMapOffset = 0;
  // The recorded map offset is known to hold an 'rsmp' block, so dropping the
  // map may free it.
  bool fMapBlockIsMap = false;
  bool fDirty = false;
  bool fOpenedFromMap = false;
  int32_t fOpenedVersion = 0;
  std::unique_ptr<FixedStringBuffer<260>> fSuspendedPath;
  // Sorted offsets where blocks are known to start, and the file's end; a
  // block ends no later than the next one, so Load can read header and
  // payload at once. Empty when nothing is known (after Defragment). Each
  // offset is within the file; one left over from before a change only
  // makes a read fall short, which Load makes good.
  std::vector<int32_t> fBlockStarts;
  std::unique_ptr<uint8_t[]> fScratch;
  int32_t fScratchSize = 0;
};
