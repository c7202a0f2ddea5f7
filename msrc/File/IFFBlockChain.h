#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "msrc/File/IFFFormat.h"
#include "msrc/File/ResType.h"
#include "msrc/File/flatfile.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/rmemwrap.h"

// The chain of blocks that both generations of the IFF container share (see
// IFFFormat.h), and everything done to it: walking it, reading and writing
// block headers and whole blocks, loading payloads, next-fit allocation with
// merging and splitting of free blocks, freeing, and defragmentation. The two
// resource-file classes (IFFResFile, IFFResFile2) keep their indexes and leave
// the blocks to one of these, made for their generation by a rules type:
//
//   using Header = ...;   the block header class: kSize, FromBytes, ToBytes,
//                         Free(size), IsFree(), MarkFree(), fType, fSize,
//                         fId, fFlags (the first 12 bytes are the same in
//                         both generations)
//   kMaxBlockSize         sizes above this are not believed
//   kDroppedType          live blocks of this type are squeezed out like free
//                         space when the file is defragmented (0 for none)
//   kReportEndBeforeEof   report "iff headers ended before eof" when a block
//                         is appended where the chain ends short of the end
//   kSourcePath           the module named in assertion reports
//
// Saves never lose a resource that was readable before:
// - A block is written in one write, header and payload together, into space
//   that a free header of its size already claims, so a program that stops
//   between two host calls (or a write the disk refuses) leaves either the
//   old chain or the new one.
// - Space is taken only from free blocks inside the chain, at its end, or
//   over bytes after its end that no reader can reach; never from a free
//   block that covers a guarded block (a resource the file's index knows at a
//   place the walk does not reach), and never behind a last resource that
//   runs past the end of the file.
// - Defragmentation that has to move blocks writes the compacted file beside
//   the original and puts it in its place in one step (FlatFile::Replace):
//   moving a block in place cannot be protected write by write, since a
//   large block that moves onto its own old place is half old, half new in
//   between. When everything that goes lies at the end, the file is only cut.
// - Damaged chains (a header that cannot be believed, a resource past the end
//   of the file or past 32 bits) are never compacted.
template <typename Rules>
class IFFBlockChain {
 public:
  using Header = typename Rules::Header;
  static constexpr int32_t kHeaderSize = Header::kSize;
  static constexpr int32_t kCopyBufferSize = 51200;
  // A block is not what the index says, a block size is impossible, or the
  // chain is broken where space was needed.
  static constexpr int32_t kDamaged = kResErrFailed;

  // What a walk finds at an offset.
  enum class Step {
    kBlock,   // a header with a believable size: the walk goes on behind it
    kLast,    // a resource that ends beyond 32 bits: it counts, and the walk ends
    kEnd,     // no whole header there, or it could not be read
    kBroken,  // a header whose size cannot be right
    kTail,    // free space that runs past the end of the file (an append that
              // stopped half-way): the chain ends at its start
  };

  // Where and why a walk of the whole chain stopped.
  struct Ending {
    int32_t offset = kUniqueHeaderSize;
    Step step = Step::kEnd;
    int32_t length = 0;  // of the file

    // The chain runs to the end of the file: exactly, or up to fewer stray
    // bytes than a header, or into free space cut short.
    bool Whole() const {
      return step == Step::kTail || (step == Step::kEnd && offset <= length && length - offset < kHeaderSize);
    }
  };

  // `beforeChange` runs before anything in the file is written; a failure it
  // returns stops the write.
  IFFBlockChain(FlatFile& file, std::function<int32_t()> beforeChange);
  IFFBlockChain(const IFFBlockChain&) = delete;
  IFFBlockChain& operator=(const IFFBlockChain&) = delete;

  // Forgets everything known about the file: after an open, before a close.
  void Reset();

  // The sum of the sizes of the free blocks known to this object.
  int32_t InvalidTotal() const { return fInvalidTotal; }
  void SetInvalidTotal(int32_t total) { fInvalidTotal = total; }
  void AddInvalid(int64_t delta);
  // Where the next free-space search starts; -1 and 0 mean the first block.
  int32_t Hint() const { return fHint; }
  void SetHint(int32_t hint) { fHint = hint; }

  // Blocks that the file's index knows at places a walk does not reach, as
  // (start, end) pairs: no free block that covers one is handed out or
  // merged, and nothing is appended where the chain breaks off before them.
  void SetGuarded(std::vector<std::pair<int32_t, int32_t>> blocks);
  bool HasGuarded() const { return !fGuarded.empty(); }
  // Whether [offset, offset + size) holds the start of a guarded block.
  bool Guards(int32_t offset, int64_t size) const;

  int32_t FileLength(int32_t* length);
  Step ReadBlock(int32_t offset, int32_t length, Header* header);
  int32_t ReadHeader(int32_t offset, Header* header);
  // Calls visit(offset, header) for every block from the first, kLast
  // included, and answers where the walk stopped. Headers are read many to a
  // host call.
  Ending Walk(int32_t length, const std::function<void(int32_t, const Header&)>& visit);

  // A live block of the type and id stands at `offset`; kDamaged otherwise.
  // Checked before anything is written or freed there.
  int32_t CheckOwn(int32_t offset, ResType type, int16_t id, Header* header);
  // Reads the payload of the block at `offset` into a new handle, passed
  // through `swizzle` when one is given. The block must have the type and a
  // size the file holds (kDamaged, kResErrShortRead); its id is not asked.
  // `alongEnd`, when it lies beyond the block's known end (and no more than
  // kAlongLimit beyond its start), is where the blocks that the caller will
  // load next end: they are read in the same host call and kept for their
  // own loads, until the file changes.
  int32_t Load(int32_t offset, ResType type, SwizzleProc swizzle, MHandle* handle, Header* header,
               int32_t alongEnd = 0);
  // Whether a load of the block at `offset` finds its bytes read along
  // already.
  bool ReadAlready(int32_t offset) const;
  static constexpr int32_t kAlongLimit = 64 * 1024;

  int32_t WriteHeader(int32_t offset, const Header& header);
  // Header and payload in one write. `announce`: false when the header on
  // disk is already these bytes, so that nothing but the payload changes and
  // the owner need not hear of it.
  int32_t WriteBlock(int32_t offset, const Header& header, MHandle handle, bool announce = true);
  // Marks the block free and counts it.
  int32_t FreeBlock(int32_t offset, const Header& header);

  // Next fit for a block of `payloadSize` bytes after its header: on success
  // a free header of the whole block's size stands at `*offset`, which the
  // caller's WriteBlock turns into the block. `beyondChain`: where the chain
  // breaks off before guarded blocks, the block may go at the end of the
  // file, past them (the index finds it there; a walk does not).
  int32_t Allocate(int32_t payloadSize, bool beyondChain, int32_t* offset, bool* appended);
  // Gives back a block from Allocate that could not be written.
  void Release(int32_t offset, int32_t size, bool appended);

  // Squeezes out the free blocks (and blocks of Rules::kDroppedType): the
  // blocks that stay keep their order. `moved(old offset, distance)` is
  // called for each block that moved, once the file has changed. A damaged
  // chain is left as it is (0). On failure the file is as it was.
  int32_t Defragment(const std::function<void(int32_t, int32_t)>& moved);

  // How many bytes from `offset` belong to its block at most, as far as the
  // known block starts tell: 0 when they tell nothing.
  int32_t KnownExtent(int32_t offset) const;
  // Known block starts, from the open's walk or the index; the file's length
  // last.
  void SetKnownStarts(std::vector<int32_t> starts);

 private:
  // Block headers read in one call together with what follows them, for the
  // length of one walk; forgotten whenever the walk writes.
  struct ReadAhead {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t start = 0;
    int32_t count = 0;
  };

  // Bytes read along with an earlier load, while the file has not changed
  // since (FlatFile::Changes).
  struct Along {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t capacity = 0;
    int32_t start = 0;
    int32_t count = 0;
    uint32_t changes = 0;
  };

  Step ReadBlock(int32_t offset, int32_t length, Header* header, ReadAhead* ahead);
  // The `extent` bytes at `offset`: read along already, or read now (with
  // the bytes up to `alongEnd` when that asks for more); null when the read
  // fails.
  const uint8_t* BlockBytes(int32_t offset, int32_t extent, int32_t alongEnd);
  int32_t ReadHeaderAhead(int32_t offset, int32_t length, Header* header, ReadAhead* ahead);
  int32_t WriteRaw(int32_t offset, const Header& header);
  // The end of the chain, where a search found no space: appends there, or
  // makes the unreachable bytes there a free block first.
  int32_t AllocateAtEnd(int32_t offset, Step step, int32_t length, int32_t need, bool beyondChain,
                        int32_t* offsetOut, bool* appended, bool* covered);
  int32_t CopyRun(FlatFile& to, int32_t from, int32_t count, uint8_t* buffer);
  void NoteBlock(int32_t offset, int32_t size);
  void NoteLength(int32_t length);
  uint8_t* Scratch(int32_t size);

  FlatFile& fFile;
  std::function<int32_t()> fBeforeChange;
  int32_t fInvalidTotal = 0;
  int32_t fHint = -1;
  std::vector<std::pair<int32_t, int32_t>> fGuarded;
  // Sorted offsets where blocks are known to start, and the file's end; a
  // block ends no later than the next one, so Load can read header and
  // payload at once. Empty when nothing is known. A start left over from
  // before a change only makes a read fall short, which Load makes good.
  std::vector<int32_t> fKnownStarts;
  std::unique_ptr<uint8_t[]> fScratch;
  int32_t fScratchSize = 0;
  Along fAlong;
};
