#include "msrc/File/IFFBlockChain.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "msrc/File/FileBlockRules.h"
#include "msrc/File/IFFBlockRules.h"
#include "msrc/Util/XAssert.h"

namespace {

constexpr int64_t kLastOffset = std::numeric_limits<int32_t>::max();
// The most Load reads in one go on the strength of the known block starts:
// free space behind a block is not always known, and is read for nothing.
constexpr int32_t kOneReadLimit = 256 * 1024;
// A walk reads this much at a time: block headers of small blocks come many
// to a read, and the pages they lie in are read from the disk either way.
constexpr int32_t kReadAheadSize = 32 * 1024;

}  // namespace

template <typename Rules>
IFFBlockChain<Rules>::IFFBlockChain(FlatFile& file, std::function<int32_t()> beforeChange)
    : fFile(file), fBeforeChange(std::move(beforeChange)) {}

template <typename Rules>
void IFFBlockChain<Rules>::Reset() {
  fInvalidTotal = 0;
  fHint = -1;
  fGuarded.clear();
  fKnownStarts.clear();
  fScratch.reset();
  fScratchSize = 0;
  fAlong = Along();
}

template <typename Rules>
void IFFBlockChain<Rules>::AddInvalid(int64_t delta) {
  fInvalidTotal = static_cast<int32_t>(std::clamp<int64_t>(int64_t{fInvalidTotal} + delta,
                                                           std::numeric_limits<int32_t>::min(), kLastOffset));
}

template <typename Rules>
void IFFBlockChain<Rules>::SetGuarded(std::vector<std::pair<int32_t, int32_t>> blocks) {
  std::sort(blocks.begin(), blocks.end());
  fGuarded = std::move(blocks);
}

template <typename Rules>
bool IFFBlockChain<Rules>::Guards(int32_t offset, int64_t size) const {
  const auto first = std::lower_bound(fGuarded.begin(), fGuarded.end(), std::pair<int32_t, int32_t>(offset, 0));
  return first != fGuarded.end() && first->first < int64_t{offset} + size;
}

// ---- Reading -----------------------------------------------------------------

template <typename Rules>
int32_t IFFBlockChain<Rules>::FileLength(int32_t* length) {
  *length = 0;
  return fFile.GetSize(length);
}

template <typename Rules>
typename IFFBlockChain<Rules>::Step IFFBlockChain<Rules>::ReadBlock(int32_t offset, int32_t length, Header* header) {
  return ReadBlock(offset, length, header, nullptr);
}

template <typename Rules>
typename IFFBlockChain<Rules>::Step IFFBlockChain<Rules>::ReadBlock(int32_t offset, int32_t length, Header* header,
                                                                    ReadAhead* ahead) {
  if (offset < kUniqueHeaderSize || int64_t{offset} + kHeaderSize > length) return Step::kEnd;
  const int32_t status = ahead != nullptr ? ReadHeaderAhead(offset, length, header, ahead) : ReadHeader(offset, header);
  if (status != kResErrNone) return Step::kEnd;
  // Read as unsigned, a negative size is as impossible as a huge one; one
  // below a header would not move the walk on.
  const uint32_t size = static_cast<uint32_t>(header->fSize);
  if (size < static_cast<uint32_t>(kHeaderSize) || size > static_cast<uint32_t>(Rules::kMaxBlockSize))
    return Step::kBroken;
  const int64_t end = int64_t{offset} + header->fSize;
  if (header->IsFree() && end > length) return Step::kTail;
  if (end > kLastOffset) return Step::kLast;
  return Step::kBlock;
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::ReadHeader(int32_t offset, Header* header) {
  uint8_t bytes[kHeaderSize];
  int32_t status = fFile.SetPos(offset);
  if (status == kResErrNone) status = fFile.Read(bytes, kHeaderSize);
  if (status == kResErrNone) *header = Header::FromBytes(bytes);
  return status;
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::ReadHeaderAhead(int32_t offset, int32_t length, Header* header, ReadAhead* ahead) {
  if (offset < ahead->start || int64_t{offset} + kHeaderSize > int64_t{ahead->start} + ahead->count) {
    ahead->count = 0;
    if (ahead->bytes == nullptr) ahead->bytes.reset(new (std::nothrow) uint8_t[kReadAheadSize]);
    if (ahead->bytes == nullptr) return ReadHeader(offset, header);
    // The caller made sure a whole header lies within the file.
    const int32_t count = static_cast<int32_t>(std::min<int64_t>(kReadAheadSize, int64_t{length} - offset));
    int32_t status = fFile.SetPos(offset);
    if (status == kResErrNone) status = fFile.Read(ahead->bytes.get(), count);
    if (status != kResErrNone) return ReadHeader(offset, header);
    ahead->start = offset;
    ahead->count = count;
  }
  *header = Header::FromBytes(ahead->bytes.get() + (offset - ahead->start));
  return kResErrNone;
}

template <typename Rules>
typename IFFBlockChain<Rules>::Ending IFFBlockChain<Rules>::Walk(
    int32_t length, const std::function<void(int32_t, const Header&)>& visit) {
  Ending ending;
  ending.length = length;
  ReadAhead ahead;
  Header header;
  int32_t offset = kUniqueHeaderSize;
  for (;;) {
    const Step step = ReadBlock(offset, length, &header, &ahead);
    if (step == Step::kBlock || step == Step::kLast) visit(offset, header);
    if (step != Step::kBlock) {
      ending.offset = offset;
      ending.step = step;
      return ending;
    }
    offset += header.fSize;
  }
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::CheckOwn(int32_t offset, ResType type, int16_t id, Header* header) {
  if (offset < kUniqueHeaderSize) return kDamaged;
  const int32_t status = ReadHeader(offset, header);
  if (status != kResErrNone) return status;
  const uint32_t size = static_cast<uint32_t>(header->fSize);
  if (header->IsFree() || header->fType != type || header->fId != id || size < static_cast<uint32_t>(kHeaderSize) ||
      size > static_cast<uint32_t>(Rules::kMaxBlockSize) || int64_t{offset} + header->fSize > kLastOffset)
    return kDamaged;
  return kResErrNone;
}

template <typename Rules>
bool IFFBlockChain<Rules>::ReadAlready(int32_t offset) const {
  const int32_t extent = KnownExtent(offset);
  return fAlong.count > 0 && fAlong.changes == fFile.Changes() && extent > 0 && offset >= fAlong.start &&
         int64_t{offset} + extent <= int64_t{fAlong.start} + fAlong.count;
}

template <typename Rules>
const uint8_t* IFFBlockChain<Rules>::BlockBytes(int32_t offset, int32_t extent, int32_t alongEnd) {
  if (ReadAlready(offset)) return fAlong.bytes.get() + (offset - fAlong.start);
  const int64_t along = int64_t{alongEnd} - offset;
  if (along > extent && along <= kAlongLimit) {
    const auto count = static_cast<int32_t>(along);
    if (count > fAlong.capacity) {
      fAlong.bytes.reset(new (std::nothrow) uint8_t[static_cast<size_t>(count)]);
      fAlong.capacity = fAlong.bytes != nullptr ? count : 0;
    }
    fAlong.count = 0;
    if (fAlong.bytes != nullptr && fFile.SetPos(offset) == kResErrNone &&
        fFile.Read(fAlong.bytes.get(), count) == kResErrNone) {
      fAlong.start = offset;
      fAlong.count = count;
      fAlong.changes = fFile.Changes();
      return fAlong.bytes.get();
    }
  }
  uint8_t* bytes = Scratch(extent);
  if (bytes == nullptr || fFile.SetPos(offset) != kResErrNone || fFile.Read(bytes, extent) != kResErrNone)
    return nullptr;
  return bytes;
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::Load(int32_t offset, ResType type, SwizzleProc swizzle, MHandle* handle,
                                   Header* header, int32_t alongEnd) {
  *handle = nullptr;
  if (offset < kUniqueHeaderSize) return kDamaged;
  const auto loadable = [&](const Header& read) {
    const uint32_t size = static_cast<uint32_t>(read.fSize);
    return read.fType == type && size >= static_cast<uint32_t>(kHeaderSize) &&
           size <= static_cast<uint32_t>(Rules::kMaxBlockSize) && int64_t{offset} + read.fSize <= kLastOffset;
  };
  int32_t status = kResErrNone;
  bool haveHeader = false;
  // Where the start of the next block is known, header and payload come in
  // one read, and the header is checked before anything is made of the rest.
  const int32_t extent = KnownExtent(offset);
  const uint8_t* block =
      extent >= kHeaderSize && extent <= kOneReadLimit ? BlockBytes(offset, extent, alongEnd) : nullptr;
  if (block != nullptr) {
    *header = Header::FromBytes(block);
    if (!loadable(*header)) return kDamaged;
    haveHeader = true;
    // A block that runs on past a start left over from before a change is
    // read the long way.
    if (header->fSize > extent) block = nullptr;
  }
  if (block == nullptr) {
    if (!haveHeader) {
      status = ReadHeader(offset, header);
      if (status != kResErrNone) return status;
      if (!loadable(*header)) return kDamaged;
    }
    int32_t length = 0;
    status = FileLength(&length);
    if (status != kResErrNone) return status;
    // Sized by the header only when the file really holds that many bytes.
    if (int64_t{offset} + header->fSize > length) return kResErrShortRead;
    status = fFile.SetPos(offset + kHeaderSize);
    if (status != kResErrNone) return status;
  }

  const int32_t payloadSize = header->fSize - kHeaderSize;
  MHandle made = NewMHandle(payloadSize);
  if (made == nullptr) return MHandleError() != 0 ? MHandleError() : kMHandleErrNoMemory;
  if (payloadSize > 0) {
    void* data = LockMHandle(made);
    if (data == nullptr) {
      status = MHandleError() != 0 ? MHandleError() : kMHandleErrBad;
    } else {
      if (block != nullptr) {
        std::memcpy(data, block + kHeaderSize, static_cast<size_t>(payloadSize));
      } else {
        status = fFile.Read(data, payloadSize);
      }
      if (status == kResErrNone && swizzle != nullptr) swizzle(data, payloadSize);
      UnlockMHandle(made);
    }
  }
  if (status != kResErrNone) {
    DisposeMHandle(made);
    return status;
  }
  *handle = made;
  return kResErrNone;
}

// ---- Writing -----------------------------------------------------------------

template <typename Rules>
int32_t IFFBlockChain<Rules>::WriteRaw(int32_t offset, const Header& header) {
  uint8_t bytes[kHeaderSize];
  header.ToBytes(bytes);
  int32_t status = fFile.SetPos(offset);
  if (status == kResErrNone) status = fFile.Write(bytes, kHeaderSize);
  return status;
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::WriteHeader(int32_t offset, const Header& header) {
  const int32_t status = fBeforeChange();
  return status != kResErrNone ? status : WriteRaw(offset, header);
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::WriteBlock(int32_t offset, const Header& header, MHandle handle, bool announce) {
  int32_t status = announce ? fBeforeChange() : kResErrNone;
  if (status != kResErrNone) return status;
  const int32_t payloadSize = header.fSize - kHeaderSize;
  if (payloadSize < 0 || (payloadSize > 0 && GetMHandleSize(handle) < payloadSize)) return kDamaged;
  uint8_t* bytes = Scratch(header.fSize);
  if (bytes == nullptr) return kMHandleErrNoMemory;
  header.ToBytes(bytes);
  if (payloadSize > 0) {
    const void* data = LockMHandle(handle);
    if (data == nullptr) return MHandleError() != 0 ? MHandleError() : kMHandleErrBad;
    std::memcpy(bytes + kHeaderSize, data, static_cast<size_t>(payloadSize));
    UnlockMHandle(handle);
  }
  status = fFile.SetPos(offset);
  if (status == kResErrNone) status = fFile.Write(bytes, header.fSize);
  if (status == kResErrNone) NoteBlock(offset, header.fSize);
  return status;
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::FreeBlock(int32_t offset, const Header& header) {
  Header freed = header;
  freed.MarkFree();
  const int32_t status = WriteHeader(offset, freed);
  if (status == kResErrNone) AddInvalid(header.fSize);
  return status;
}

// ---- Space -------------------------------------------------------------------

template <typename Rules>
int32_t IFFBlockChain<Rules>::Allocate(int32_t payloadSize, bool beyondChain, int32_t* offsetOut, bool* appended) {
  *appended = false;
  int32_t status = fBeforeChange();
  if (status != kResErrNone) return status;
  if (payloadSize < 0 || payloadSize > Rules::kMaxBlockSize - kHeaderSize) return kDamaged;
  const int32_t need = payloadSize + kHeaderSize;
  int32_t length = 0;
  status = FileLength(&length);
  if (status != kResErrNone) return status;

  // Next fit: resume where the last search stopped, never wrap round.
  int32_t offset = fHint > 0 ? fHint : kUniqueHeaderSize;
  Header header;
  ReadAhead ahead;
  bool coveredOnce = false;
  for (;;) {
    Step step = ReadBlock(offset, length, &header, &ahead);
    if (step == Step::kTail && length - offset > need) {
      // Left by a program that stopped between the header and the payload
      // of an append. It holds more than this block needs, so it becomes an
      // ordinary free block of the bytes there are, and none are left behind
      // the new block as strays.
      header.fSize = length - offset;
      status = WriteHeader(offset, header);
      ahead.count = 0;
      if (status != kResErrNone) return status;
      AddInvalid(header.fSize);
      step = Step::kBlock;
    }
    if (step != Step::kBlock) {
      bool covered = false;
      status = AllocateAtEnd(offset, step, length, need, beyondChain && !coveredOnce, offsetOut, appended, &covered);
      if (status != kResErrNone || !covered || coveredOnce) return status;
      coveredOnce = true;
      ahead.count = 0;
      continue;
    }
    fHint = offset;
    if (header.IsFree() && !Guards(offset, header.fSize)) {
      bool merged = false;
      Header next;
      while (ReadBlock(offset + header.fSize, length, &next, &ahead) == Step::kBlock && next.IsFree() &&
             !Guards(offset + header.fSize, next.fSize) &&
             int64_t{header.fSize} + next.fSize <= Rules::kMaxBlockSize) {
        header.fSize += next.fSize;
        merged = true;
      }
      if (merged) {
        status = WriteHeader(offset, header);
        ahead.count = 0;
        if (status != kResErrNone) return status;
      }
      if (header.fSize == need || int64_t{header.fSize} >= int64_t{need} + kHeaderSize) {
        if (header.fSize != need) {
          // The rest first: until this block shrinks, its header covers it.
          status = WriteHeader(offset + need, Header::Free(header.fSize - need));
          header.fSize = need;
          if (status == kResErrNone) status = WriteHeader(offset, header);
          if (status != kResErrNone) return status;
        }
        AddInvalid(-int64_t{need});
        *offsetOut = offset;
        return kResErrNone;
      }
    }
    offset += header.fSize;
  }
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::AllocateAtEnd(int32_t offset, Step step, int32_t length, int32_t need,
                                            bool beyondChain, int32_t* offsetOut, bool* appended, bool* covered) {
  *covered = false;
  int32_t at = offset;
  if (step == Step::kEnd && offset > length) {
    // The last resource runs past the end of the file: whatever is appended
    // would become the rest of it.
    return kDamaged;
  }
  if (step == Step::kEnd && length - offset >= kHeaderSize) {
    // A header is there, but could not be read.
    return kResErrShortRead;
  }
  if (step == Step::kBroken || step == Step::kLast) {
    if (HasGuarded()) {
      // The index knows blocks past the break: nothing goes over them. A new
      // block may follow them at the end of the file, when none of them (and
      // nothing the walk saw) runs on past it.
      if (!beyondChain || step == Step::kLast || fGuarded.empty()) return kDamaged;
      for (const std::pair<int32_t, int32_t>& block : fGuarded) {
        if (block.second > length) return kDamaged;
      }
      at = length;
    } else if (step == Step::kLast) {
      return kDamaged;
    } else {
      // Bytes no reader can reach, since every walk stops here: they become
      // one free block to the end of the file, so that whatever goes here
      // leaves a chain that ends where the file does.
      const int64_t rest = int64_t{length} - offset;
      if (rest > Rules::kMaxBlockSize) return kDamaged;
      if (Rules::kReportEndBeforeEof)
        XASSERT(Rules::kSourcePath, __LINE__, "filesize==*fileoffset", "iff headers ended before eof");
      const int32_t status = WriteHeader(offset, Header::Free(static_cast<int32_t>(rest)));
      if (status != kResErrNone) return status;
      AddInvalid(rest);
      *covered = true;
      return kResErrNone;
    }
  }
  if (int64_t{at} + need > kLastOffset) return kDamaged;
  if (Rules::kReportEndBeforeEof && step == Step::kEnd && at != length)
    XASSERT(Rules::kSourcePath, __LINE__, "filesize==*fileoffset", "iff headers ended before eof");
  fHint = at;
  const int32_t status = WriteHeader(at, Header::Free(need));
  if (status != kResErrNone) return status;
  *appended = true;
  *offsetOut = at;
  return kResErrNone;
}

template <typename Rules>
void IFFBlockChain<Rules>::Release(int32_t offset, int32_t size, bool appended) {
  if (appended && fFile.SetSize(offset) == kResErrNone) {
    NoteLength(offset);
    return;
  }
  // Allocate left a free header there; it is written again in case the
  // failed write got as far as the header.
  if (WriteHeader(offset, Header::Free(size)) == kResErrNone) AddInvalid(size);
}

// ---- Defragmentation ---------------------------------------------------------

template <typename Rules>
int32_t IFFBlockChain<Rules>::Defragment(const std::function<void(int32_t, int32_t)>& moved) {
  const std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kCopyBufferSize]);
  if (buffer == nullptr) return kMHandleErrNoMemory;
  // Blocks the index knows at places the chain does not reach would be lost.
  if (HasGuarded()) return kResErrNone;
  int32_t length = 0;
  int32_t status = FileLength(&length);
  if (status != kResErrNone) return status;

  // The blocks from the first one that goes on; the ones before it stay
  // where they are.
  struct Block {
    int32_t offset;
    int32_t size;
    bool goes;
    bool free;
  };
  std::vector<Block> blocks;
  const Ending ending = Walk(length, [&](int32_t offset, const Header& header) {
    const bool goes = header.IsFree() || (Rules::kDroppedType != 0 && header.fType == Rules::kDroppedType);
    if (goes || !blocks.empty()) blocks.push_back({offset, header.fSize, goes, header.IsFree()});
  });
  // Only a whole chain is compacted: cutting the file short behind a broken
  // one would lose what lies past the break.
  if (!ending.Whole()) return kResErrNone;

  int64_t gap = 0;
  bool moves = false;
  for (const Block& block : blocks) {
    if (block.goes) {
      gap += block.size;
    } else {
      moves = true;
    }
  }
  const int32_t newEnd = static_cast<int32_t>(ending.offset - gap);
  if (!moves) {
    // Everything that goes lies at the end: one free block over it, so that
    // a cut that fails still leaves a chain that ends where the file does,
    // then the cut.
    if (gap == 0 && newEnd == length) return kResErrNone;
    status = fBeforeChange();
    if (status != kResErrNone) return status;
    const bool oneFreeBlock = blocks.size() == 1 && blocks.front().free;
    if (gap >= kHeaderSize && gap <= Rules::kMaxBlockSize && !oneFreeBlock) {
      status = WriteRaw(newEnd, Header::Free(static_cast<int32_t>(gap)));
      if (status != kResErrNone) return status;
    }
    if (newEnd != length) {
      status = fFile.SetSize(newEnd);
      if (status != kResErrNone) return status;
    }
    NoteLength(newEnd);
    fHint = newEnd;
    fInvalidTotal = 0;
    return kResErrNone;
  }

  // Blocks move: the compacted file is written beside this one and takes its
  // place in one step.
  status = fBeforeChange();
  if (status != kResErrNone) return status;
  FlatFile replacement;
  status = fFile.OpenReplacement(&replacement);
  if (status != kResErrNone) return status;
  const int32_t firstGoes = blocks.empty() ? ending.offset : blocks.front().offset;
  status = replacement.SetPos(0);
  if (status == kResErrNone) status = CopyRun(replacement, 0, firstGoes, buffer.get());
  for (size_t i = 0; status == kResErrNone && i < blocks.size();) {
    if (blocks[i].goes) {
      ++i;
      continue;
    }
    // A run of blocks that stay lies in one piece.
    const int32_t from = blocks[i].offset;
    int64_t count = 0;
    for (; i < blocks.size() && !blocks[i].goes; ++i) count += blocks[i].size;
    status = CopyRun(replacement, from, static_cast<int32_t>(count), buffer.get());
  }
  if (status != kResErrNone) {
    fFile.DiscardReplacement(&replacement);
    return status;
  }
  status = fFile.Replace(&replacement);
  if (status != kResErrNone) return status;

  fKnownStarts.clear();
  fHint = newEnd;
  fInvalidTotal = 0;
  int32_t distance = 0;
  for (const Block& block : blocks) {
    if (block.goes) {
      distance += block.size;
    } else if (moved) {
      moved(block.offset, distance);
    }
  }
  return kResErrNone;
}

template <typename Rules>
int32_t IFFBlockChain<Rules>::CopyRun(FlatFile& to, int32_t from, int32_t count, uint8_t* buffer) {
  for (int32_t done = 0; done < count;) {
    const int32_t piece = std::min(kCopyBufferSize, count - done);
    int32_t status = fFile.SetPos(from + done);
    if (status == kResErrNone) status = fFile.Read(buffer, piece);
    if (status == kResErrNone) status = to.Write(buffer, piece);
    if (status != kResErrNone) return status;
    done += piece;
  }
  return kResErrNone;
}

// ---- Known block starts ------------------------------------------------------

template <typename Rules>
int32_t IFFBlockChain<Rules>::KnownExtent(int32_t offset) const {
  if (offset < kUniqueHeaderSize) return 0;
  const auto next = std::upper_bound(fKnownStarts.begin(), fKnownStarts.end(), offset);
  return next != fKnownStarts.end() ? *next - offset : 0;
}

template <typename Rules>
void IFFBlockChain<Rules>::SetKnownStarts(std::vector<int32_t> starts) {
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  fKnownStarts = std::move(starts);
}

template <typename Rules>
void IFFBlockChain<Rules>::NoteBlock(int32_t offset, int32_t size) {
  if (fKnownStarts.empty()) return;
  for (const int32_t start : {offset, offset + size}) {
    const auto place = std::lower_bound(fKnownStarts.begin(), fKnownStarts.end(), start);
    if (place == fKnownStarts.end() || *place != start) fKnownStarts.insert(place, start);
  }
}

template <typename Rules>
void IFFBlockChain<Rules>::NoteLength(int32_t length) {
  if (fKnownStarts.empty()) return;
  fKnownStarts.erase(std::upper_bound(fKnownStarts.begin(), fKnownStarts.end(), length), fKnownStarts.end());
  if (fKnownStarts.empty() || fKnownStarts.back() != length) fKnownStarts.push_back(length);
}

template <typename Rules>
uint8_t* IFFBlockChain<Rules>::Scratch(int32_t size) {
  if (size > fScratchSize) {
    fScratch.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    fScratchSize = fScratch != nullptr ? size : 0;
  }
  return fScratch.get();
}

template class IFFBlockChain<FileBlockRules>;
template class IFFBlockChain<IFFBlockRules>;
