#pragma once

#include <cstdint>
#include <memory>

#include "msrc/File/FileBlockHeader.h"
#include "msrc/File/FileBlockRules.h"
#include "msrc/File/IFFBlockChain.h"
#include "msrc/File/IFFNameList.h"
#include "msrc/File/ResCache.h"
#include "msrc/File/ResType.h"
#include "msrc/File/TypeCache.h"
#include "msrc/File/flatfile.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

// The resource file over a generation-1 IFF file (version 1.0): the exact
// 64-byte generation-1 file header (IFFFileHeader), then a chain of blocks
// with 16-byte headers (FileBlockHeader). There is no index on disk: every
// open walks the chain into an in-memory cache of types (TypeCache) and
// resources (ResCache), both lists growing at the front, so enumeration runs
// from the newest to the oldest, after an open from the last block in the
// file to the first. Resource bytes are read into handles on demand.
//
// Names live in the names cache (IFFNameList), the internal resource 'NAME'
// id 1 (block flag kInternal), keyed by the name index of each block header;
// an older form, 'NAME' id 0, is read when present and removed at the next
// save. Internal resources are held in a list of their own that only the
// internal mode (EnterInternalMode / ExitInternalMode) makes visible.
//
// Changes are written block by block: next-fit allocation from a hint,
// merging free blocks it walks over, using one that fits exactly or with
// room for a free block behind, else appending. Closing a file that was
// changed since it was opened defragments it when its free blocks reach
// kDefragmentThreshold bytes.
//
// Failures keep data: a resource that grows, or is replaced by AddResource,
// keeps its old block (and its old name) until the new bytes are on disk;
// payloads are written before the header that makes them part of the chain.
// A file that was only read is left as it was, byte for byte, except that a
// writable file without any names cache gets its empty one at the first
// flush.
//
// The blocks themselves are kept by an IFFBlockChain, which makes every save
// safe against a program that stops or a disk that fails at any host call.
//
// Damaged files: a walk stops at a header that cannot be read or a size
// below 16; a block that ends beyond 32 bits is listed (it fails to load)
// and ends the walk; a free block that runs past the end of the file (an
// append that stopped half-way) ends the chain, and the next append goes
// there. Past a header no walk believes, no reader of this generation sees
// anything: a save that needs space makes those bytes one free block and
// goes on ("iff headers ended before eof"). Nothing is appended behind a
// resource that runs past the end of the file (kIFFErrDamaged), and a
// damaged chain is never defragmented.
class IFFResFile : public iResFile, public FlatFile {
 public:
  // A block is not what the cache says, or the chain is broken where space
  // was needed.
  static constexpr int32_t kIFFErrDamaged = kResErrFailed;
  // Free space that makes Close defragment a changed, writable file.
  static constexpr int32_t kDefragmentThreshold = 10240;
  static constexpr int32_t kCopyBufferSize = IFFBlockChain<FileBlockRules>::kCopyBufferSize;
  static constexpr int16_t kNamesCacheId = 1;
  static constexpr int16_t kOldNamesCacheId = 0;

  // Set (to 1) only while Create opens the brand-new file, so that Open does
  // not report the names cache it does not have yet.
  static int16_t sCreatingNewFile;

  IFFResFile();
  // Closes the file first if it is open.
  ~IFFResFile() override;

  // Makes the 96-byte new file (header and an empty names cache) and leaves
  // this object closed.
  int32_t Create(const StringBuffer& path) override;
  int32_t Delete(const StringBuffer& path) override;
  int32_t Open(const StringBuffer& path) override;
  // Not supported: kResErrCannotSuspend.
  int32_t Suspend() override;
  int32_t Resume() override;
  // Flushes, frees the caches, defragments a changed writable file whose free
  // blocks reach kDefragmentThreshold, closes. The first failure on the way
  // is the result; the file is closed all the same.
  int32_t Close() override;
  // Saves the names cache when it changed, writes every resource added and
  // not yet written (oldest first) and frees blocks they replaced, then,
  // when anything was written since the last flush, pushes the bytes to the
  // disk. The file stays open throughout: closing and reopening it would
  // drop its share lock for a moment, let another program in, and leave this
  // object's cache describing a file it no longer holds (or make it
  // read-only). A read-only file is never written, not even its missing
  // names cache.
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
  void GetResName(MHandle handle, StringBuffer* name) override;
  ResType GetResType(MHandle handle) override;
  void GetResID(MHandle handle, int16_t* id) override;
  void Reserved1(uint32_t value, int16_t* result) override;
  void MakeUniqueName(ResType type, StringBuffer* name) override;
  int16_t UniqueID(ResType type) override;
  void DetachResource(MHandle handle) override;
  void Reserved2(MHandle handle) override;
  bool IsSwizzled(MHandle handle) override;
  void AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) override;
  void WriteResource(MHandle handle) override;
  void RemoveResource(MHandle handle) override;
  // Languages other than 0: kResErrNoLanguages, nothing changed.
  void SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) override;

  // Swaps the internal list in for the main one; reported and ignored when
  // already in internal mode.
  void EnterInternalMode();
  // Swaps back; reported and ignored when not in internal mode.
  void ExitInternalMode();

  // State a test or a tool may look at. The lists are the ones lookups see:
  // in internal mode FirstType gives the internal resources.
  const TypeCache* FirstType() const { return fTypes.get(); }
  const TypeCache* FirstInternalType() const { return fInternalTypes.get(); }
  // Null while closed.
  const IFFNameList* NameList() const { return fNameList.get(); }
  int32_t InvalidTotal() const { return fChain.InvalidTotal(); }
  int32_t FreeSpaceHint() const { return fChain.Hint(); }
  bool InInternalMode() const { return fInternalMode; }
  // Something in the file was changed since it was opened (a resource or a
  // name written, moved, freed or renamed); the empty names cache written
  // into a file that had none does not count.
  bool IsChanged() const { return fChanged; }

 private:
  using Chain = IFFBlockChain<FileBlockRules>;

  bool OpenCheck();
  // The resource holding the handle in the visible list, and its type; null
  // for a null handle or one that is not this file's.
  ResCache* OwnResource(MHandle handle, TypeCache** type) const;
  TypeCache* FindType(ResType type) const;
  void FreeLists();

  void WalkChain(int32_t fileLength);
  // Runs before anything in the file is written.
  int32_t BeforeChange();
  // Frees the resource's block; a block that is not this resource is left
  // alone.
  int32_t FreeResourceBlock(ResCache* resource, ResType type);
  // Frees the block the resource was replaced from, and its name.
  int32_t FreeReplacedBlock(ResCache* resource, ResType type);

  int32_t Load(ResCache* resource, ResType type, SwizzleProc swizzle);
  MHandle LoadAndAnswer(ResCache* resource, ResType type, SwizzleProc swizzle);
  // The work of WriteResource.
  int32_t WriteCache(ResCache* resource, ResType type);
  // The work of DetachResource.
  int32_t Detach(ResCache* resource, ResType type);
  // Frees the resource's blocks and name and disposes of its handle; the
  // resource stays in its list.
  int32_t Drop(ResCache* resource, ResType type);
  // Unwritten bytes of a replaced resource go; the resource is again the old
  // block it was replaced from (or goes, when there was none).
  void AbandonReplacement(TypeCache* type, ResCache* resource);

  int32_t LoadNamesCache();
  // In internal mode; does nothing unless the names cache is dirty.
  int32_t SaveNamesCache();
  void SetName(int32_t key, const StringBuffer& name);

  std::unique_ptr<TypeCache> fTypes;
  std::unique_ptr<TypeCache> fInternalTypes;
  Chain fChain;
  std::unique_ptr<IFFNameList> fNameList;
  bool fInternalMode = false;
  // Something was written since the last flush.
  bool fWritten = false;
  bool fChanged = false;
  // Writes that repair a missing names cache do not count as changes.
  bool fRepairing = false;
  // A name was set, changed or removed since the file was opened.
  bool fNamesEdited = false;
};
