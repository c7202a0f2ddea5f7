#include "msrc/File/IFFResFile2.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "msrc/File/IFFFileHeader.h"
#include "msrc/File/IFFFormat.h"
#include "msrc/File/Recon.h"
#include "msrc/File/SimpleReconObject.h"
#include "msrc/Util/XAssert.h"

namespace {

constexpr const char* kSourcePath = "msrc/File/IFFResFile2";
constexpr int32_t kHeaderSize = IFFBlockHeader::kSize;
constexpr int32_t kMapVersion = 0;
constexpr int32_t kMaxPayloadSize = kMaxBlockSize - kHeaderSize;
// A listing reads the next resources of its type along with the one it asks
// for when no more than this lies between two of them: the pages they lie in
// come from the disk either way, and one host call serves them all.
constexpr int64_t kAlongGap = 4096;

int16_t AsCount(int32_t count) { return static_cast<int16_t>(std::min<int32_t>(count, 0x7FFF)); }

bool SameBytes(const IFFBlockHeader& a, const IFFBlockHeader& b) {
  uint8_t first[kHeaderSize];
  uint8_t second[kHeaderSize];
  a.ToBytes(first);
  b.ToBytes(second);
  return std::memcmp(first, second, kHeaderSize) == 0;
}

}  // namespace

IFFResFile2::IFFResFile2() : fChain(*this, [this] { return BeginChange(); }) {}

IFFResFile2::~IFFResFile2() {
  if (FlatFile::ValidFile()) Close();
}

// ---- Opening and closing -------------------------------------------------

int32_t IFFResFile2::Create(const StringBuffer& path) {
  if (FlatFile::ValidFile()) return SetError(kResErrAlreadyOpen);
  int32_t status = FlatFile::Create(path);
  if (status != kResErrNone) return SetError(status);
  FlatFile file;
  if (file.Open(path) != kResErrNone) XASSERT(kSourcePath, __LINE__, "!err", "could not open newly created file");
  status = WriteFileHeader(file, 0);
  if (file.ValidFile()) file.Close();
  return SetError(status);
}

int32_t IFFResFile2::Delete(const StringBuffer& path) {
  if (FlatFile::ValidFile()) return SetError(kResErrAlreadyOpen);
  return SetError(FlatFile::Delete(path));
}

int32_t IFFResFile2::Open(const StringBuffer& path) {
  if (FlatFile::ValidFile()) return SetError(kResErrAlreadyOpen);
  int32_t status = FlatFile::Open(path);
  if (status != kResErrNone) return SetError(status);

  uint8_t bytes[IFFFileHeader::kSize];
  status = FlatFile::SetPos(0);
  if (status == kResErrNone) status = FlatFile::Read(bytes, IFFFileHeader::kSize);
  if (status != kResErrNone) {
    FlatFile::Close();
    return SetError(status);
  }
  const IFFFileHeader header = IFFFileHeader::FromBytes(bytes);
  const bool version20 = header.Major() == 2 && header.Minor() == 0;
  const bool version25 = header.Major() == 2 && header.Minor() == 5;
  if (!header.MatchesVersion2Pattern() || !(version20 || version25)) {
    FlatFile::Close();
    return SetError(kResErrNotIff);
  }

  fMapOffset = version25 ? static_cast<int32_t>(header.MapOffset()) : 0;
  fOpenedVersion = version25 ? 25 : 20;
  fMapBlockIsMap = false;
  fWriteFailure = kResErrNone;
  fChain.Reset();
  fMap = std::make_unique<IFFResMap>();
  int32_t length = 0;
  fChain.FileLength(&length);
  fOpenedFromMap = fMapOffset != 0 && TryStoredMap(fMapOffset, length);
  fSurveyed = !fOpenedFromMap;
  fUnreached.clear();
  if (!fOpenedFromMap) WalkChain(length);
  fMap->RemoveType(IFFResMap::kType);
  fDirty = false;
  return SetError(kResErrNone);
}

bool IFFResFile2::TryStoredMap(int32_t mapOffset, int32_t fileLength) {
  if (mapOffset < kUniqueHeaderSize || int64_t{mapOffset} + kHeaderSize > fileLength) return false;
  IFFBlockHeader header;
  MHandle handle = nullptr;
  // The map is written last, so it usually ends the file: header and payload
  // then come in one read.
  fChain.SetKnownStarts({mapOffset, fileLength});
  if (fChain.Load(mapOffset, IFFResMap::kType, nullptr, &handle, &header) != kResErrNone) return false;
  const bool decodes = !header.IsFree() && GetMHandleSize(handle) >= Recon::Header::kSize;
  if (decodes) {
    SimpleReconObject<IFFResMap> object(fMap.get(), IFFResMap::kType);
    ReconFromHandle(object, handle);
  }
  DisposeMHandle(handle);
  // A map that lists itself describes some other file. Anything else it
  // decodes is used, short or not: an entry that names no block fails when
  // it is loaded, and the rest of the file stays readable.
  if (!decodes || fMap->FindDefault(IFFResMap::kType, 0) != nullptr) {
    fMap->Clear();
    return false;
  }
  fChain.SetInvalidTotal(fMap->InvalidTotal());
  fMapBlockIsMap = true;
  std::vector<int32_t> starts = {mapOffset, fileLength};
  for (const ResMapType& type : fMap->Types()) {
    for (int32_t i = 0; i < type.Count(); ++i) {
      const int32_t offset = type.At(i)->fOffset;
      if (offset >= kUniqueHeaderSize && offset < fileLength) starts.push_back(offset);
    }
  }
  fChain.SetKnownStarts(std::move(starts));
  return true;
}

void IFFResFile2::WalkChain(int32_t fileLength) {
  fMap->Clear();
  fChain.SetInvalidTotal(0);
  std::vector<int32_t> starts;
  const Chain::Ending ending = fChain.Walk(fileLength, [&](int32_t offset, const IFFBlockHeader& header) {
    starts.push_back(offset);
    if (header.IsFree()) {
      fChain.AddInvalid(header.fSize);
      return;
    }
    ResMapEntry* entry = fMap->AddEntry(header.fType);
    entry->fOffset = offset;
    entry->fId = header.fId;
    entry->fFlags = entry->fStoredFlags = header.fFlags;
    header.GetName(&entry->fName);
    if (offset == fMapOffset && header.fType == IFFResMap::kType) fMapBlockIsMap = true;
  });
  if (ending.offset < fileLength) starts.push_back(ending.offset);
  starts.push_back(fileLength);
  fChain.SetKnownStarts(std::move(starts));
}

int32_t IFFResFile2::Survey() {
  fSurveyed = true;
  int32_t length = 0;
  int32_t status = fChain.FileLength(&length);
  if (status != kResErrNone) return status;
  std::vector<int32_t> live;
  int64_t freeTotal = 0;
  int32_t firstFree = -1;
  bool mapInChain = false;
  const Chain::Ending ending = fChain.Walk(length, [&](int32_t offset, const IFFBlockHeader& header) {
    if (header.IsFree()) {
      freeTotal += header.fSize;
      if (firstFree < 0) firstFree = offset;
      return;
    }
    live.push_back(offset);
    if (offset == fMapOffset && header.fType == IFFResMap::kType) mapInChain = true;
  });

  // Listed blocks that the walk did not reach. An entry that names no block
  // of its type is no resource anyone can read, and guards nothing.
  std::vector<std::pair<int32_t, int32_t>> unreached;
  for (const ResMapType& type : fMap->Types()) {
    for (int32_t i = 0; i < type.Count(); ++i) {
      const int32_t offset = type.At(i)->fOffset;
      if (offset < kUniqueHeaderSize || std::binary_search(live.begin(), live.end(), offset)) continue;
      IFFBlockHeader header;
      if (fChain.ReadHeader(offset, &header) == kResErrNone && !header.IsFree() && header.fType == type.fType &&
          header.HasPlausibleSize() && int64_t{offset} + header.fSize <= std::numeric_limits<int32_t>::max())
        unreached.emplace_back(offset, offset + header.fSize);
    }
  }

  // Only an old map that the chain holds is freed: one lying inside another
  // block is that block's bytes.
  fMapBlockIsMap = mapInChain;
  fChain.SetInvalidTotal(static_cast<int32_t>(std::min<int64_t>(freeTotal, std::numeric_limits<int32_t>::max())));
  // Nothing before the first free block (or the old map, which is about to
  // be one) can take a new block: the next search starts there, or at the
  // end of the chain.
  int32_t start = firstFree >= 0 ? firstFree : ending.offset;
  if (mapInChain && fMapOffset < start) start = fMapOffset;
  if (start <= length) fChain.SetHint(start);
  fUnreached = std::move(unreached);
  return kResErrNone;
}

int32_t IFFResFile2::Suspend() {
  auto path = std::make_unique<FixedStringBuffer<260>>();
  FlatFile::GetPath(path.get());
  fSuspendedPath = std::move(path);
  return Close();
}

int32_t IFFResFile2::Resume() {
  const std::unique_ptr<FixedStringBuffer<260>> path = std::move(fSuspendedPath);
  if (path == nullptr || path->Length() == 0) return SetError(kResErrCannotSuspend);
  const int32_t status = Open(*path);
  fChain.SetHint(0);
  return status;
}

int32_t IFFResFile2::Close() {
  if (!OpenCheck()) return kResErrNotOpen;
  const bool writable = FlatFile::IsWritable();
  int32_t status = fWriteFailure;
  if (status == kResErrNone && writable) {
    status = WritePending();
    if (FlatFile::InShadow()) {
      status = Settle(status);
    } else {
      // A flush only pushes writes on to the device; a file that took none
      // since it was opened has nothing to push.
      if (status == kResErrNone && fDirty) status = FlatFile::Flush();
      // Compacting is worth doing, not needed: a defragmentation that fails
      // leaves the file as it was, and the map is written all the same.
      if (status == kResErrNone && fMapOffset == 0 && fDirty &&
          fChain.InvalidTotal() >= kDefragmentThreshold)
        Defragment();
      if (status == kResErrNone && fDirty) status = WriteMap();
    }
  }

  fMap.reset();
  fMapOffset = 0;
  fMapBlockIsMap = false;
  fSurveyed = false;
  fUnreached.clear();
  fChain.Reset();
  const int32_t closed = FlatFile::Close();
  // A failure on the way is the result, even though the file is closed.
  return SetError(status != kResErrNone ? status : closed);
}

int32_t IFFResFile2::WriteMap() {
  fMap->RemoveType(IFFResMap::kType);
  SimpleReconObject<IFFResMap> object(fMap.get(), IFFResMap::kType);
  fMap->SetInvalidTotal(fChain.InvalidTotal());
  Recon sizing;
  object.Reconstitute(sizing, kMapVersion);
  const int32_t payloadSize = Recon::Header::kSize + sizing.Position();
  int32_t offset = 0;
  bool appended = false;
  int32_t status = fChain.Allocate(payloadSize, true, &offset, &appended);
  if (status != kResErrNone) return status;

  // Encoded only now, so that the invalid total it stores no longer counts
  // the space the map block itself has just taken.
  fMap->SetInvalidTotal(fChain.InvalidTotal());
  MHandle handle = ReconToHandle(object, kMapVersion);
  if (handle == nullptr) {
    status = MHandleError() != 0 ? MHandleError() : kMHandleErrNoMemory;
  } else if (GetMHandleSize(handle) != payloadSize) {
    status = kIFFErrDamaged;
  } else {
    IFFBlockHeader header;
    header.fType = IFFResMap::kType;
    header.fSize = payloadSize + kHeaderSize;
    header.fFlags = kSwizzled;
    status = fChain.WriteBlock(offset, header, handle);
  }
  if (handle != nullptr) DisposeMHandle(handle);
  if (status != kResErrNone) {
    fChain.Release(offset, payloadSize + kHeaderSize, appended);
    return status;
  }
  return WriteFileHeader(*this, offset);
}

void IFFResFile2::Flush() {
  if (!OpenCheck()) return;
  int32_t status = WritePending();
  if (status == kResErrNone) status = FlatFile::Flush();
  SetError(Settle(status));
}

int32_t IFFResFile2::Settle(int32_t status) {
  if (!FlatFile::InShadow()) return status;
  if (status == kResErrNone && fDirty) status = WriteMap();
  if (status == kResErrNone) status = FlatFile::CommitShadow();
  if (status == kResErrNone) {
    // The file now holds the copy and the map that describes it; the next
    // change looks at it afresh.
    fChain.SetGuarded({});
    fUnreached.clear();
    fSurveyed = false;
    fDirty = false;
    return kResErrNone;
  }
  FlatFile::AbandonShadow();
  fChain.SetGuarded({});
  fMapOffset = fBeforeCopy.mapOffset;
  fMapBlockIsMap = fBeforeCopy.mapBlockIsMap;
  fChain.SetInvalidTotal(fBeforeCopy.invalidTotal);
  fChain.SetHint(fBeforeCopy.hint);
  fUnreached.clear();
  fSurveyed = false;
  fWriteFailure = status;
  return status;
}

int32_t IFFResFile2::WritePending() {
  int32_t first = kResErrNone;
  std::vector<ResMapType>& types = fMap->Types();
  for (size_t t = types.size(); t-- > 0;) {
    for (int32_t i = types[t].Count(); i-- > 0;) {
      ResMapEntry* entry = types[t].At(i);
      int32_t status = kResErrNone;
      if (!entry->OnDisk() && entry->Handle() != nullptr) {
        status = WriteEntry(entry, types[t].fType);
      } else if (entry->OnDisk()) {
        status = FreeReplacedBlock(entry, types[t].fType);
      }
      if (first == kResErrNone) first = status;
    }
  }
  return first;
}

bool IFFResFile2::IsWritable() { return FlatFile::IsWritable(); }

void IFFResFile2::GetPath(StringBuffer* path) { SetError(FlatFile::GetPath(path)); }

bool IFFResFile2::ValidFile() { return FlatFile::ValidFile(); }

// ---- Lookups ---------------------------------------------------------------

bool IFFResFile2::OpenCheck() { return SetError(FlatFile::ValidFile() ? kResErrNone : kResErrNotOpen) == kResErrNone; }

ResMapEntry* IFFResFile2::OwnEntry(MHandle handle, ResType* type) { return fMap->FindByHandle(handle, type); }

int16_t IFFResFile2::CountTypes() { return OpenCheck() ? AsCount(fMap->CountTypes()) : 0; }

ResType IFFResFile2::GetIndType(int16_t index) {
  if (!OpenCheck()) return 0;
  // A block may carry type code 0, so the index itself says whether there is
  // a type.
  if (index < 1 || index > fMap->CountTypes()) SetError(kResErrTypeIndex);
  return fMap->TypeByIndex(index);
}

int16_t IFFResFile2::CountResources(ResType type) { return OpenCheck() ? AsCount(fMap->CountEntries(type)) : 0; }

MHandle IFFResFile2::GetResource(ResType type, int16_t id, SwizzleProc swizzle) {
  return GetLangResource(type, id, 0, swizzle);
}

MHandle IFFResFile2::GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) {
  if (!OpenCheck()) return nullptr;
  ResMapEntry* entry = name.Length() > 0 ? fMap->FindByName(type, name) : nullptr;
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return nullptr;
  }
  return LoadAndAnswer(entry, type, swizzle);
}

MHandle IFFResFile2::GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) {
  if (!OpenCheck()) return nullptr;
  ResMapEntry* entry = fMap->ByIndex(type, index);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return nullptr;
  }
  return LoadAndAnswer(entry, type, swizzle, AlongEnd(*fMap->FindType(type), index - 1));
}

int32_t IFFResFile2::AlongEnd(const ResMapType& held, int32_t index) const {
  const ResMapEntry* first = held.At(index);
  if (first->Handle() != nullptr || !first->OnDisk() || fChain.ReadAlready(first->fOffset)) return 0;
  const int32_t firstExtent = fChain.KnownExtent(first->fOffset);
  if (firstExtent <= 0) return 0;
  int64_t end = int64_t{first->fOffset} + firstExtent;
  for (int32_t next = index + 1; next < held.Count(); ++next) {
    const ResMapEntry* entry = held.At(next);
    const int32_t extent = entry->OnDisk() ? fChain.KnownExtent(entry->fOffset) : 0;
    if (entry->Handle() != nullptr || extent <= 0 || entry->fOffset < end || entry->fOffset - end > kAlongGap ||
        int64_t{entry->fOffset} + extent - first->fOffset > Chain::kAlongLimit)
      break;
    end = int64_t{entry->fOffset} + extent;
  }
  return static_cast<int32_t>(end);
}

MHandle IFFResFile2::GetLangResource(ResType type, int16_t id, uint8_t language, SwizzleProc swizzle) {
  if (!OpenCheck()) return nullptr;
  ResMapEntry* entry = fMap->FindLanguage(type, id, language);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return nullptr;
  }
  return LoadAndAnswer(entry, type, swizzle);
}

void IFFResFile2::GetResName(MHandle handle, StringBuffer* name) {
  name->Clear();
  if (!OpenCheck()) return;
  const ResMapEntry* entry = OwnEntry(handle, nullptr);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return;
  }
  name->Assign(entry->fName);
}

ResType IFFResFile2::GetResType(MHandle handle) {
  if (!OpenCheck()) return 0;
  ResType type = 0;
  if (OwnEntry(handle, &type) == nullptr) {
    SetError(kResErrNotFound);
    return 0;
  }
  return type;
}

void IFFResFile2::GetResID(MHandle handle, int16_t* id) {
  if (!OpenCheck()) return;
  const ResMapEntry* entry = OwnEntry(handle, nullptr);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return;
  }
  *id = entry->fId;
}

void IFFResFile2::Reserved1(uint32_t /*value*/, int16_t* result) {
  if (result != nullptr) *result = 0;
  if (OpenCheck()) SetError(kResErrUnsupported);
}

uint8_t IFFResFile2::GetResLanguage(MHandle handle) {
  if (!OpenCheck()) return 0;
  const ResMapEntry* entry = OwnEntry(handle, nullptr);
  if (entry == nullptr) {
    SetError(kResErrNotFound);
    return 0;
  }
  return entry->Language();
}

void IFFResFile2::MakeUniqueName(ResType type, StringBuffer* name) {
  if (!OpenCheck()) return;
  FixedStringBuffer<64> base;
  base.Append(*name, IFFBlockHeader::kMaxNameLength);
  FixedStringBuffer<64> candidate(base);
  bool changed = false;
  // The counter's digits replace the end of a base too long to take them, so
  // every candidate differs from the one before and the search ends.
  for (int32_t counter = 0; fMap->FindByName(type, candidate) != nullptr; ++counter) {
    FixedStringBuffer<16> digits;
    digits.AppendNumber(counter);
    candidate.Clear();
    candidate.Append(base, IFFBlockHeader::kMaxNameLength - digits.Length());
    candidate.Append(digits);
    changed = true;
  }
  if (changed) name->Assign(candidate);
}

int16_t IFFResFile2::UniqueID(ResType type) {
  if (!OpenCheck()) return 0;
  return static_cast<int16_t>(fMap->LargestId(type, 128) + 1);
}

void IFFResFile2::Reserved2(MHandle /*handle*/) {
  if (OpenCheck()) SetError(kResErrUnsupported);
}

bool IFFResFile2::IsSwizzled(MHandle handle) {
  if (!OpenCheck()) return true;
  const ResMapEntry* entry = OwnEntry(handle, nullptr);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return true;
  }
  return (entry->fFlags & kSwizzled) != 0;
}

MHandle IFFResFile2::LoadAndAnswer(ResMapEntry* entry, ResType type, SwizzleProc swizzle, int32_t alongEnd) {
  return SetError(Load(entry, type, swizzle, alongEnd)) == kResErrNone ? entry->Handle() : nullptr;
}

int32_t IFFResFile2::Load(ResMapEntry* entry, ResType type, SwizzleProc swizzle, int32_t alongEnd) {
  if (entry->Handle() != nullptr) return kResErrNone;
  const bool convert = (entry->fStoredFlags & kSwizzled) == 0 && swizzle != nullptr;
  MHandle handle = nullptr;
  IFFBlockHeader header;
  const int32_t status =
      fChain.Load(entry->fOffset, type, convert ? swizzle : nullptr, &handle, &header, alongEnd);
  if (status != kResErrNone) return status;
  entry->AttachHandle(handle);
  // Empty bytes have nothing to convert, but count as converted all the same.
  if (convert) entry->fFlags |= kSwizzled;
  return kResErrNone;
}

// ---- Changes -----------------------------------------------------------------

void IFFResFile2::DetachResource(MHandle handle) {
  if (!OpenCheck()) return;
  ResType type = 0;
  ResMapEntry* entry = OwnEntry(handle, &type);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  SetError(Settle(Detach(entry, type)));
}

int32_t IFFResFile2::Detach(ResMapEntry* entry, ResType type) {
  // Bytes that are nowhere else stay with the file until they are written.
  if (!entry->OnDisk()) {
    int32_t status = WriteEntry(entry, type);
    if (status == kResErrNone) status = FlatFile::Flush();
    if (status != kResErrNone) return status;
  }
  entry->TakeHandle();
  entry->fFlags = entry->fStoredFlags;
  return kResErrNone;
}

void IFFResFile2::AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) {
  AddLangResource(handle, type, id, name, 0, swizzled);
}

void IFFResFile2::AddLangResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name,
                                  uint8_t language, bool swizzled) {
  if (!OpenCheck()) return;
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  if (handle == nullptr) {
    SetError(kMHandleErrBad);
    return;
  }
  FixedStringBuffer<64> storedName;
  StoreName(name, &storedName);
  ResMapEntry* entry = fMap->FindLanguage(type, id, language);

  // A handle that carries another of this file's resources leaves that one
  // first, the way DetachResource would.
  ResType heldType = 0;
  ResMapEntry* holder = fMap->FindByHandle(handle, &heldType);
  if (holder != nullptr && holder != entry) {
    const int32_t status = Settle(Detach(holder, heldType));
    if (status != kResErrNone) {
      SetError(status);
      return;
    }
  }

  if (entry == nullptr) {
    entry = fMap->AddEntry(type);
  } else {
    // The old block stays a live block until the new bytes are on disk; an
    // older one still waiting goes now, since only one can wait.
    if (entry->OnDisk()) {
      const int32_t status = FreeReplacedBlock(entry, type);
      if (status != kResErrNone) {
        SetError(status);
        return;
      }
      entry->fReplacedOffset = entry->fOffset;
      entry->fReplacedId = entry->fId;
    }
    if (entry->Handle() == handle) entry->TakeHandle();
  }
  entry->fOffset = ResMapEntry::kNotOnDisk;
  entry->fId = id;
  entry->fFlags = static_cast<uint16_t>((language << kLanguageShift) | (swizzled ? kSwizzled : 0));
  entry->fStoredFlags = 0;
  entry->AttachHandle(handle);
  entry->fName.Assign(storedName);
  SetError(kResErrNone);
}

void IFFResFile2::WriteResource(MHandle handle) {
  if (!OpenCheck()) return;
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  ResType type = 0;
  ResMapEntry* entry = OwnEntry(handle, &type);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  int32_t status = WriteEntry(entry, type);
  if (status == kResErrNone) status = FlatFile::Flush();
  SetError(Settle(status));
}

int32_t IFFResFile2::WriteEntry(ResMapEntry* entry, ResType type) {
  if (fWriteFailure != kResErrNone) return fWriteFailure;
  const int32_t payloadSize = GetMHandleSize(entry->Handle());
  if (payloadSize < 0 || payloadSize > kMaxPayloadSize) return kIFFErrDamaged;
  const IFFBlockHeader header = HeaderFor(type, *entry, payloadSize);

  bool resized = false;
  // Where the old block lies past the end of the chain, the new one may too.
  bool beyondChain = true;
  if (entry->OnDisk()) {
    int32_t status = FreeReplacedBlock(entry, type);
    if (status != kResErrNone) return status;
    IFFBlockHeader stored;
    status = fChain.CheckOwn(entry->fOffset, type, entry->fId, &stored);
    if (status == kResErrNone && stored.fSize == header.fSize) {
      // A block the index knows inside this one would be written over.
      if (fChain.Guards(entry->fOffset + 1, header.fSize - 1)) return kIFFErrDamaged;
      // The same header again changes nothing a recorded map says, and the
      // map stays in force. A file without one goes on to get one at close.
      const bool keepsMap = fMapOffset != 0 && SameBytes(stored, header);
      status = fChain.WriteBlock(entry->fOffset, header, entry->Handle(), !keepsMap);
      if (status == kResErrNone) entry->fStoredFlags = header.fFlags;
      return status;
    }
    // A block that is not this resource's is left alone; the bytes go to a
    // new one.
    if (status != kResErrNone && status != kIFFErrDamaged) return status;
    resized = status == kResErrNone;
    beyondChain = !resized || fChain.Guards(entry->fOffset, 1);
  }

  // A new block is written before the old one is given up, so a failure on
  // the way leaves the old resource where it was.
  int32_t offset = 0;
  bool appended = false;
  int32_t status = fChain.Allocate(payloadSize, beyondChain, &offset, &appended);
  if (status != kResErrNone) return status;
  status = fChain.WriteBlock(offset, header, entry->Handle());
  if (status != kResErrNone) {
    fChain.Release(offset, header.fSize, appended);
    return status;
  }
  if (resized) {
    entry->fReplacedOffset = entry->fOffset;
    entry->fReplacedId = entry->fId;
  }
  entry->fOffset = offset;
  entry->fStoredFlags = header.fFlags;
  return FreeReplacedBlock(entry, type);
}

IFFBlockHeader IFFResFile2::HeaderFor(ResType type, const ResMapEntry& entry, int32_t payloadSize) const {
  IFFBlockHeader header;
  header.fType = type;
  header.fSize = payloadSize + kHeaderSize;
  header.fId = entry.fId;
  // Never written as free space, whatever flags a damaged map brought in.
  header.fFlags = static_cast<uint16_t>(entry.fFlags & ~kInvalid);
  header.SetName(entry.fName);
  return header;
}

void IFFResFile2::RemoveResource(MHandle handle) {
  if (!OpenCheck()) return;
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  ResType type = 0;
  ResMapEntry* entry = OwnEntry(handle, &type);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  // A block that cannot be freed keeps its resource, in the file and here.
  int32_t status = FreeReplacedBlock(entry, type);
  if (status == kResErrNone && entry->OnDisk()) status = FreeEntryBlock(entry, type);
  if (status == kResErrNone) fMap->RemoveEntry(entry);
  const int32_t flushed = FlatFile::Flush();
  SetError(Settle(status != kResErrNone ? status : flushed));
}

void IFFResFile2::SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t /*language*/) {
  if (!OpenCheck()) return;
  ResType type = 0;
  ResMapEntry* entry = OwnEntry(handle, &type);
  if (entry == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  FixedStringBuffer<64> newName;
  StoreName(name, &newName);
  const bool changed = entry->fId != id || entry->fName.Compare(newName) != 0;
  int32_t status = kResErrNone;
  // The index changes only with the header, so the two never disagree.
  if (changed && entry->OnDisk()) {
    IFFBlockHeader header;
    status = fChain.CheckOwn(entry->fOffset, type, entry->fId, &header);
    if (status == kResErrNone) {
      header.fId = id;
      header.SetName(newName);
      status = fChain.WriteHeader(entry->fOffset, header);
    }
  }
  if (status == kResErrNone) {
    entry->fId = id;
    entry->fName.Assign(newName);
  }
  const int32_t flushed = FlatFile::Flush();
  SetError(Settle(status != kResErrNone ? status : flushed));
}

void IFFResFile2::StoreName(const StringBuffer& name, StringBuffer* stored) {
  if (name.Length() > IFFBlockHeader::kMaxNameLength)
    XASSERT(kSourcePath, __LINE__, "name.length()<=63", "name too long");
  stored->Clear();
  stored->Append(name, IFFBlockHeader::kMaxNameLength);
}

// ---- Blocks --------------------------------------------------------------

int32_t IFFResFile2::BeginChange() {
  fDirty = true;
  if (fWriteFailure != kResErrNone) return fWriteFailure;
  if (fMapOffset == 0) return kResErrNone;
  if (!fSurveyed) {
    const int32_t status = Survey();
    if (status != kResErrNone) return status;
  }
  if (!fUnreached.empty() && !FlatFile::InShadow()) {
    fBeforeCopy = {fMapOffset, fMapBlockIsMap, fChain.InvalidTotal(), fChain.Hint()};
    const int32_t status = FlatFile::BeginShadow();
    if (status != kResErrNone) return status;
    fChain.SetGuarded(fUnreached);
  }
  return WriteFileHeader(*this, 0);
}

int32_t IFFResFile2::FreeEntryBlock(ResMapEntry* entry, ResType type) {
  IFFBlockHeader header;
  const int32_t status = fChain.CheckOwn(entry->fOffset, type, entry->fId, &header);
  if (status == kIFFErrDamaged) return kResErrNone;
  if (status != kResErrNone) return status;
  return fChain.FreeBlock(entry->fOffset, header);
}

int32_t IFFResFile2::FreeReplacedBlock(ResMapEntry* entry, ResType type) {
  if (entry->fReplacedOffset == ResMapEntry::kNotOnDisk) return kResErrNone;
  IFFBlockHeader header;
  int32_t status = fChain.CheckOwn(entry->fReplacedOffset, type, entry->fReplacedId, &header);
  if (status == kResErrNone) status = fChain.FreeBlock(entry->fReplacedOffset, header);
  if (status == kResErrNone || status == kIFFErrDamaged) {
    entry->fReplacedOffset = ResMapEntry::kNotOnDisk;
    return kResErrNone;
  }
  return status;
}

int32_t IFFResFile2::WriteFileHeader(FlatFile& file, int32_t mapOffset) {
  const bool own = &file == static_cast<FlatFile*>(this);
  if (own && fMapOffset != 0) {
    const int32_t old = fMapOffset;
    // Counts as no map while its block is freed, so the header write there
    // does not come back here.
    fMapOffset = 0;
    int32_t status = kResErrNone;
    if (fMapBlockIsMap) {
      IFFBlockHeader header;
      status = fChain.ReadHeader(old, &header);
      if (status == kResErrNone && !header.IsFree() && header.fType == IFFResMap::kType &&
          header.HasPlausibleSize())
        status = fChain.FreeBlock(old, header);
    }
    if (status != kResErrNone) {
      XASSERT(kSourcePath, __LINE__, "!err", "error occurred invalidating map header");
      fMapOffset = old;
      return status;
    }
    fMapBlockIsMap = false;
  }

  const IFFFileHeader header = IFFFileHeader::Version2(2, 5, static_cast<uint32_t>(mapOffset));
  int32_t status = file.SetPos(0);
  if (status == kResErrNone) status = file.Write(header.Bytes(), IFFFileHeader::kSize);
  if (status == kResErrNone) status = file.Flush();
  if (status != kResErrNone) return status;
  if (own) {
    fDirty = true;
    fMapOffset = mapOffset;
    fMapBlockIsMap = mapOffset != 0;
  }
  return kResErrNone;
}

int32_t IFFResFile2::Defragment() {
  if (!OpenCheck()) return kResErrNotOpen;
  if (!FlatFile::IsWritable()) return SetError(kResErrNotWritable);
  return fChain.Defragment([this](int32_t offset, int32_t gap) { fMap->AdjustOffset(offset, gap); });
}
