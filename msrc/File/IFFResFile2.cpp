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
constexpr int64_t kLastOffset = std::numeric_limits<int32_t>::max();
constexpr int32_t kMaxPayloadSize = kMaxBlockSize - kHeaderSize;
// The most Load reads in one go on the strength of the known block starts:
// free space behind a block is not always known, and is read for nothing.
constexpr int32_t kOneReadLimit = 256 * 1024;
// A walk reads this much at a time: block headers of small blocks come many
// to a read, and the pages they lie in are read from the disk either way.
constexpr int32_t kReadAheadSize = 32 * 1024;

int16_t AsCount(int32_t count) { return static_cast<int16_t>(std::min<int32_t>(count, 0x7FFF)); }

}  // namespace

IFFResFile2::IFFResFile2() = default;

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
  fHint = -1;
  fBlockStarts.clear();
  fMap = std::make_unique<IFFResMap>();
  int32_t length = 0;
  FlatFile::GetSize(&length);
  fOpenedFromMap = fMapOffset != 0 && TryStoredMap(fMapOffset, length);
  if (!fOpenedFromMap) WalkChain(length);
  fMap->RemoveType(IFFResMap::kType);
  fDirty = false;
  return SetError(kResErrNone);
}

bool IFFResFile2::TryStoredMap(int32_t mapOffset, int32_t fileLength) {
  IFFBlockHeader header;
  if (ReadChainBlock(mapOffset, fileLength, &header) != ChainStep::kBlock || header.IsFree() ||
      header.fType != IFFResMap::kType || static_cast<int64_t>(mapOffset) + header.fSize > fileLength)
    return false;
  // The payload follows the header just read.
  int32_t status = kResErrNone;
  MHandle handle = PayloadHandle(header.fSize - kHeaderSize, nullptr, nullptr, &status);
  if (handle == nullptr) return false;
  bool usable = GetMHandleSize(handle) >= Recon::Header::kSize;
  if (usable) {
    SimpleReconObject<IFFResMap> object(fMap.get(), IFFResMap::kType);
    ReconFromHandle(object, handle);
  }
  DisposeMHandle(handle);

  // A map that lists itself, ran short of payload, or names a place where no
  // block header fits describes some other file: walk instead.
  usable = usable && !fMap->DecodedShort() && fMap->FindDefault(IFFResMap::kType, 0) == nullptr;
  for (const ResMapType& type : fMap->Types()) {
    for (int32_t i = 0; usable && i < type.Count(); ++i) {
      const int32_t offset = type.At(i)->fOffset;
      usable = offset >= kUniqueHeaderSize && static_cast<int64_t>(offset) + kHeaderSize <= fileLength;
    }
  }
  if (!usable) {
    fMap->Clear();
    return false;
  }
  fMapBlockIsMap = true;
  fBlockStarts = {mapOffset, fileLength};
  for (const ResMapType& type : fMap->Types()) {
    for (int32_t i = 0; i < type.Count(); ++i) fBlockStarts.push_back(type.At(i)->fOffset);
  }
  std::sort(fBlockStarts.begin(), fBlockStarts.end());
  fBlockStarts.erase(std::unique(fBlockStarts.begin(), fBlockStarts.end()), fBlockStarts.end());
  return true;
}

void IFFResFile2::WalkChain(int32_t fileLength) {
  fMap->Clear();
  fBlockStarts.clear();
  IFFBlockHeader header;
  ReadAhead ahead;
  int32_t offset = kUniqueHeaderSize;
  for (; ReadChainBlock(offset, fileLength, &header, &ahead) == ChainStep::kBlock; offset += header.fSize) {
    fBlockStarts.push_back(offset);
    if (header.IsFree()) {
      fMap->AddInvalid(header.fSize);
      continue;
    }
    ResMapEntry* entry = fMap->AddEntry(header.fType);
    entry->fOffset = offset;
    entry->fId = header.fId;
    entry->fFlags = entry->fStoredFlags = header.fFlags;
    header.GetName(&entry->fName);
    if (offset == fMapOffset && header.fType == IFFResMap::kType) fMapBlockIsMap = true;
  }
  if (offset < fileLength) fBlockStarts.push_back(offset);
  fBlockStarts.push_back(fileLength);
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
  fHint = 0;
  return status;
}

int32_t IFFResFile2::Close() {
  if (!OpenCheck()) return kResErrNotOpen;
  const bool writable = FlatFile::IsWritable();
  int32_t status = kResErrNone;
  if (writable) {
    status = WritePending();
    // A flush only pushes writes on to the device; a file that took none
    // since it was opened has nothing to push.
    if (status == kResErrNone && fDirty) status = FlatFile::Flush();
  }
  if (status == kResErrNone && writable && fMapOffset == 0 && fDirty &&
      fMap->InvalidTotal() >= kDefragmentThreshold)
    status = Defragment();
  if (status == kResErrNone && writable && fDirty) status = WriteMap();

  fMap.reset();
  fMapOffset = 0;
  fMapBlockIsMap = false;
  fHint = -1;
  fBlockStarts = {};
  fScratch.reset();
  fScratchSize = 0;
  const int32_t closed = FlatFile::Close();
  // A failure on the way is the result, even though the file is closed.
  return SetError(status != kResErrNone ? status : closed);
}

int32_t IFFResFile2::WriteMap() {
  fMap->RemoveType(IFFResMap::kType);
  SimpleReconObject<IFFResMap> object(fMap.get(), IFFResMap::kType);
  Recon sizing;
  object.Reconstitute(sizing, kMapVersion);
  const int32_t payloadSize = Recon::Header::kSize + sizing.Position();
  int32_t offset = 0;
  bool appended = false;
  int32_t status = Allocate(payloadSize, &offset, &appended);
  if (status != kResErrNone) return status;

  // Encoded only now, so that the invalid total it stores no longer counts
  // the space the map block itself has just taken.
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
    status = WriteBlock(offset, header, handle);
  }
  if (handle != nullptr) DisposeMHandle(handle);
  if (status != kResErrNone) {
    ReleaseBlock(offset, payloadSize + kHeaderSize, appended);
    return status;
  }
  return WriteFileHeader(*this, offset);
}

void IFFResFile2::Flush() {
  if (!OpenCheck()) return;
  const int32_t status = WritePending();
  SetError(status != kResErrNone ? status : FlatFile::Flush());
}

int32_t IFFResFile2::WritePending() {
  int32_t first = kResErrNone;
  std::vector<ResMapType>& types = fMap->Types();
  for (size_t t = types.size(); t-- > 0;) {
    for (int32_t i = types[t].Count(); i-- > 0;) {
      ResMapEntry* entry = types[t].At(i);
      int32_t status = kResErrNone;
      if (!entry->OnDisk() && entry->Handle() != nullptr) {
        WriteResource(entry->Handle());
        status = Error();
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
  return LoadAndAnswer(entry, type, swizzle);
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

MHandle IFFResFile2::LoadAndAnswer(ResMapEntry* entry, ResType type, SwizzleProc swizzle) {
  return SetError(Load(entry, type, swizzle)) == kResErrNone ? entry->Handle() : nullptr;
}

int32_t IFFResFile2::Load(ResMapEntry* entry, ResType type, SwizzleProc swizzle) {
  if (entry->Handle() != nullptr) return kResErrNone;
  const int32_t offset = entry->fOffset;
  IFFBlockHeader header;
  int32_t status = kResErrNone;
  // Where the start of the next block is known, header and payload come in
  // one read, and the header is checked before anything is made of the rest.
  const int32_t extent = KnownExtent(offset);
  const uint8_t* block = extent >= kHeaderSize && extent <= kOneReadLimit ? Scratch(extent) : nullptr;
  if (block != nullptr) {
    status = FlatFile::SetPos(offset);
    if (status == kResErrNone) status = FlatFile::Read(fScratch.get(), extent);
    if (status != kResErrNone) return status;
    header = IFFBlockHeader::FromBytes(block);
    status = CheckHeader(offset, header, type, entry->fId);
    if (status != kResErrNone) return status;
    // A block that runs on past a start left over from before a change is
    // read the long way.
    if (header.fSize > extent) block = nullptr;
  } else {
    status = CheckBlock(offset, type, entry->fId, &header);
    if (status != kResErrNone) return status;
  }
  if (block == nullptr) {
    int32_t length = 0;
    status = FlatFile::GetSize(&length);
    if (status != kResErrNone) return status;
    // Sized by the header only when the file really holds that many bytes.
    if (static_cast<int64_t>(offset) + header.fSize > length) return kResErrShortRead;
    status = FlatFile::SetPos(offset + kHeaderSize);
    if (status != kResErrNone) return status;
  }

  const bool convert = (entry->fStoredFlags & kSwizzled) == 0 && swizzle != nullptr;
  MHandle handle = PayloadHandle(header.fSize - kHeaderSize, block != nullptr ? block + kHeaderSize : nullptr,
                                 convert ? swizzle : nullptr, &status);
  if (handle == nullptr) return status;
  entry->AttachHandle(handle);
  // Empty bytes have nothing to convert, but count as converted all the same.
  if (convert) entry->fFlags |= kSwizzled;
  return kResErrNone;
}

MHandle IFFResFile2::PayloadHandle(int32_t payloadSize, const uint8_t* bytes, SwizzleProc swizzle, int32_t* status) {
  MHandle handle = NewMHandle(payloadSize);
  if (handle == nullptr) {
    *status = MHandleError();
    return nullptr;
  }
  *status = kResErrNone;
  if (payloadSize > 0) {
    void* data = LockMHandle(handle);
    if (data == nullptr) {
      *status = MHandleError() != 0 ? MHandleError() : kMHandleErrBad;
    } else {
      if (bytes != nullptr) {
        std::memcpy(data, bytes, static_cast<size_t>(payloadSize));
      } else {
        *status = FlatFile::Read(data, payloadSize);
      }
      if (*status == kResErrNone && swizzle != nullptr) swizzle(data, payloadSize);
      UnlockMHandle(handle);
    }
  }
  if (*status != kResErrNone) {
    DisposeMHandle(handle);
    return nullptr;
  }
  return handle;
}

int32_t IFFResFile2::KnownExtent(int32_t offset) const {
  if (offset < kUniqueHeaderSize) return 0;
  const auto next = std::upper_bound(fBlockStarts.begin(), fBlockStarts.end(), offset);
  return next != fBlockStarts.end() ? *next - offset : 0;
}

void IFFResFile2::NoteBlock(int32_t offset, int32_t size) {
  if (fBlockStarts.empty()) return;
  for (const int32_t start : {offset, offset + size}) {
    const auto place = std::lower_bound(fBlockStarts.begin(), fBlockStarts.end(), start);
    if (place == fBlockStarts.end() || *place != start) fBlockStarts.insert(place, start);
  }
}

void IFFResFile2::NoteLength(int32_t length) {
  if (fBlockStarts.empty()) return;
  fBlockStarts.erase(std::upper_bound(fBlockStarts.begin(), fBlockStarts.end(), length), fBlockStarts.end());
  if (fBlockStarts.empty() || fBlockStarts.back() != length) fBlockStarts.push_back(length);
}

uint8_t* IFFResFile2::Scratch(int32_t size) {
  if (size > fScratchSize) {
    fScratch.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    fScratchSize = fScratch != nullptr ? size : 0;
  }
  return fScratch.get();
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
  SetError(Detach(entry, type));
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
    const int32_t status = Detach(holder, heldType);
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
  SetError(status);
}

int32_t IFFResFile2::WriteEntry(ResMapEntry* entry, ResType type) {
  const int32_t payloadSize = GetMHandleSize(entry->Handle());
  if (payloadSize < 0 || payloadSize > kMaxPayloadSize) return kIFFErrDamaged;
  const IFFBlockHeader header = HeaderFor(type, *entry, payloadSize);

  bool resized = false;
  if (entry->OnDisk()) {
    int32_t status = FreeReplacedBlock(entry, type);
    if (status != kResErrNone) return status;
    IFFBlockHeader stored;
    status = CheckBlock(entry->fOffset, type, entry->fId, &stored);
    if (status == kResErrNone && stored.fSize == header.fSize) {
      status = WriteBlock(entry->fOffset, header, entry->Handle());
      if (status == kResErrNone) entry->fStoredFlags = header.fFlags;
      return status;
    }
    // A block that is not this resource's is left alone; the bytes go to a
    // new one.
    if (status != kResErrNone && status != kIFFErrDamaged) return status;
    resized = status == kResErrNone;
  }

  // A new block is written before the old one is given up, so a failure on
  // the way leaves the old resource where it was.
  int32_t offset = 0;
  bool appended = false;
  int32_t status = Allocate(payloadSize, &offset, &appended);
  if (status != kResErrNone) return status;
  status = WriteBlock(offset, header, entry->Handle());
  if (status != kResErrNone) {
    ReleaseBlock(offset, header.fSize, appended);
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
  SetError(status != kResErrNone ? status : flushed);
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
    status = CheckBlock(entry->fOffset, type, entry->fId, &header);
    if (status == kResErrNone) {
      header.fId = id;
      header.SetName(newName);
      status = WriteBlockHeader(entry->fOffset, header);
    }
  }
  if (status == kResErrNone) {
    entry->fId = id;
    entry->fName.Assign(newName);
  }
  const int32_t flushed = FlatFile::Flush();
  SetError(status != kResErrNone ? status : flushed);
}

void IFFResFile2::StoreName(const StringBuffer& name, StringBuffer* stored) {
  if (name.Length() > IFFBlockHeader::kMaxNameLength)
    XASSERT(kSourcePath, __LINE__, "name.length()<=63", "name too long");
  stored->Clear();
  stored->Append(name, IFFBlockHeader::kMaxNameLength);
}

// ---- Blocks --------------------------------------------------------------

IFFResFile2::ChainStep IFFResFile2::ReadChainBlock(int32_t offset, int32_t fileLength, IFFBlockHeader* header,
                                                   ReadAhead* ahead) {
  if (offset < kUniqueHeaderSize || static_cast<int64_t>(offset) + kHeaderSize > fileLength) return ChainStep::kEnd;
  const int32_t status =
      ahead != nullptr ? ReadHeaderAhead(offset, fileLength, header, ahead) : ReadBlockHeader(offset, header);
  if (status != kResErrNone) return ChainStep::kEnd;
  if (!header->HasPlausibleSize() || static_cast<int64_t>(offset) + header->fSize > kLastOffset)
    return ChainStep::kBroken;
  if (header->IsFree() && static_cast<int64_t>(offset) + header->fSize > fileLength) return ChainStep::kTail;
  return ChainStep::kBlock;
}

int32_t IFFResFile2::ReadHeaderAhead(int32_t offset, int32_t fileLength, IFFBlockHeader* header, ReadAhead* ahead) {
  if (offset < ahead->start || static_cast<int64_t>(offset) + kHeaderSize > int64_t{ahead->start} + ahead->count) {
    ahead->count = 0;
    if (ahead->bytes == nullptr) ahead->bytes.reset(new (std::nothrow) uint8_t[kReadAheadSize]);
    if (ahead->bytes == nullptr) return ReadBlockHeader(offset, header);
    // The caller made sure a whole header lies within the file.
    const int32_t count = static_cast<int32_t>(std::min<int64_t>(kReadAheadSize, int64_t{fileLength} - offset));
    int32_t status = FlatFile::SetPos(offset);
    if (status == kResErrNone) status = FlatFile::Read(ahead->bytes.get(), count);
    if (status != kResErrNone) return ReadBlockHeader(offset, header);
    ahead->start = offset;
    ahead->count = count;
  }
  *header = IFFBlockHeader::FromBytes(ahead->bytes.get() + (offset - ahead->start));
  return kResErrNone;
}

int32_t IFFResFile2::ReadBlockHeader(int32_t offset, IFFBlockHeader* header) {
  uint8_t bytes[kHeaderSize];
  int32_t status = FlatFile::SetPos(offset);
  if (status == kResErrNone) status = FlatFile::Read(bytes, kHeaderSize);
  if (status == kResErrNone) *header = IFFBlockHeader::FromBytes(bytes);
  return status;
}

int32_t IFFResFile2::BeginChange() {
  fDirty = true;
  return fMapOffset != 0 ? WriteFileHeader(*this, 0) : kResErrNone;
}

int32_t IFFResFile2::WriteBlockHeader(int32_t offset, const IFFBlockHeader& header) {
  int32_t status = BeginChange();
  if (status != kResErrNone) return status;
  uint8_t bytes[kHeaderSize];
  header.ToBytes(bytes);
  status = FlatFile::SetPos(offset);
  if (status == kResErrNone) status = FlatFile::Write(bytes, kHeaderSize);
  return status;
}

int32_t IFFResFile2::WriteBlock(int32_t offset, const IFFBlockHeader& header, MHandle handle) {
  int32_t status = BeginChange();
  if (status != kResErrNone) return status;
  const int32_t payloadSize = header.fSize - kHeaderSize;
  status = FlatFile::SetPos(offset + kHeaderSize);
  if (status == kResErrNone && payloadSize > 0) {
    const void* data = LockMHandle(handle);
    if (data == nullptr) {
      status = MHandleError() != 0 ? MHandleError() : kMHandleErrBad;
    } else {
      status = FlatFile::Write(data, payloadSize);
      UnlockMHandle(handle);
    }
  }
  if (status == kResErrNone) status = WriteBlockHeader(offset, header);
  if (status == kResErrNone) NoteBlock(offset, header.fSize);
  return status;
}

int32_t IFFResFile2::FreeBlock(int32_t offset, const IFFBlockHeader& header) {
  IFFBlockHeader freed = header;
  freed.MarkFree();
  const int32_t status = WriteBlockHeader(offset, freed);
  if (status == kResErrNone) fMap->AddInvalid(header.fSize);
  return status;
}

int32_t IFFResFile2::CheckBlock(int32_t offset, ResType type, int16_t id, IFFBlockHeader* header) {
  if (offset < kUniqueHeaderSize) return kIFFErrDamaged;
  const int32_t status = ReadBlockHeader(offset, header);
  if (status != kResErrNone) return status;
  return CheckHeader(offset, *header, type, id);
}

int32_t IFFResFile2::CheckHeader(int32_t offset, const IFFBlockHeader& header, ResType type, int16_t id) {
  if (header.IsFree() || header.fType != type || header.fId != id || !header.HasPlausibleSize() ||
      static_cast<int64_t>(offset) + header.fSize > kLastOffset)
    return kIFFErrDamaged;
  return kResErrNone;
}

int32_t IFFResFile2::FreeEntryBlock(ResMapEntry* entry, ResType type) {
  IFFBlockHeader header;
  const int32_t status = CheckBlock(entry->fOffset, type, entry->fId, &header);
  if (status == kIFFErrDamaged) return kResErrNone;
  if (status != kResErrNone) return status;
  return FreeBlock(entry->fOffset, header);
}

int32_t IFFResFile2::FreeReplacedBlock(ResMapEntry* entry, ResType type) {
  if (entry->fReplacedOffset == ResMapEntry::kNotOnDisk) return kResErrNone;
  IFFBlockHeader header;
  int32_t status = CheckBlock(entry->fReplacedOffset, type, entry->fReplacedId, &header);
  if (status == kResErrNone) status = FreeBlock(entry->fReplacedOffset, header);
  if (status == kResErrNone || status == kIFFErrDamaged) {
    entry->fReplacedOffset = ResMapEntry::kNotOnDisk;
    return kResErrNone;
  }
  return status;
}

int32_t IFFResFile2::Allocate(int32_t payloadSize, int32_t* offsetOut, bool* appended) {
  *appended = false;
  int32_t status = BeginChange();
  if (status != kResErrNone) return status;
  if (payloadSize < 0 || payloadSize > kMaxPayloadSize) return kIFFErrDamaged;
  const int32_t need = payloadSize + kHeaderSize;
  int32_t length = 0;
  status = FlatFile::GetSize(&length);
  if (status != kResErrNone) return status;

  // Next fit: resume where the last search stopped, never wrap round.
  int32_t offset = fHint > 0 ? fHint : kUniqueHeaderSize;
  IFFBlockHeader header;
  ReadAhead ahead;
  ChainStep step;
  for (;;) {
    step = ReadChainBlock(offset, length, &header, &ahead);
    if (step == ChainStep::kBroken) return kIFFErrDamaged;
    if (step == ChainStep::kEnd) break;
    if (step == ChainStep::kTail) {
      // Left by a program that stopped between the header and the payload of
      // an append: the append goes over it. When the file holds more of it
      // than that covers, it becomes an ordinary free block of the bytes
      // there are, so that none are left behind the new block as strays.
      if (length - offset <= need) break;
      header.fSize = length - offset;
      status = WriteBlockHeader(offset, header);
      ahead.count = 0;
      if (status != kResErrNone) return status;
      fMap->AddInvalid(header.fSize);
    }
    fHint = offset;
    if (header.IsFree()) {
      bool merged = false;
      IFFBlockHeader next;
      while (ReadChainBlock(offset + header.fSize, length, &next, &ahead) == ChainStep::kBlock && next.IsFree() &&
             static_cast<int64_t>(header.fSize) + next.fSize <= kMaxBlockSize) {
        header.fSize += next.fSize;
        merged = true;
      }
      if (merged) {
        status = WriteBlockHeader(offset, header);
        ahead.count = 0;
        if (status != kResErrNone) return status;
      }
      if (header.fSize == need || header.fSize >= need + kHeaderSize) {
        if (header.fSize != need) {
          status = WriteBlockHeader(offset + need, IFFBlockHeader::Free(header.fSize - need));
          header.fSize = need;
          if (status == kResErrNone) status = WriteBlockHeader(offset, header);
          if (status != kResErrNone) return status;
        }
        fMap->AddInvalid(-static_cast<int64_t>(need));
        *offsetOut = offset;
        return kResErrNone;
      }
    }
    offset += header.fSize;
  }

  // The end of the chain: the end of the file, a stray tail shorter than a
  // header, or free space cut short. A last resource that runs past the end
  // of the file, or a header that is there but could not be read, leaves no
  // safe place to append.
  if (step == ChainStep::kEnd && offset > length) return kIFFErrDamaged;
  if (step == ChainStep::kEnd && length - offset >= kHeaderSize) return kResErrShortRead;
  fHint = offset;
  status = WriteBlockHeader(offset, IFFBlockHeader::Free(need));
  if (status != kResErrNone) return status;
  *appended = true;
  *offsetOut = offset;
  return kResErrNone;
}

void IFFResFile2::ReleaseBlock(int32_t offset, int32_t size, bool appended) {
  if (appended && FlatFile::SetSize(offset) == kResErrNone) {
    NoteLength(offset);
    return;
  }
  // Allocate left a free header there; it is rewritten in case the failed
  // write got as far as the header.
  WriteBlockHeader(offset, IFFBlockHeader::Free(size));
  fMap->AddInvalid(size);
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
      status = ReadBlockHeader(old, &header);
      if (status == kResErrNone && !header.IsFree() && header.fType == IFFResMap::kType &&
          header.HasPlausibleSize())
        status = FreeBlock(old, header);
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
  const std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kCopyBufferSize]);
  if (buffer == nullptr) return kMHandleErrNoMemory;
  int32_t length = 0;
  int32_t status = FlatFile::GetSize(&length);
  if (status != kResErrNone) return status;

  // Only a whole chain is compacted: cutting the file short behind a broken
  // one would lose what lies past the break. Free space cut short by a
  // stopped append ends the chain, and the cut drops it. The walk keeps the
  // blocks from the first one that goes, so the moves read no header again.
  struct Block {
    int32_t offset;
    int32_t size;
    bool goes;  // free space or an old map
    bool free;
  };
  std::vector<Block> blocks;
  IFFBlockHeader header;
  int32_t end = kUniqueHeaderSize;
  ReadAhead ahead;
  ChainStep step;
  while ((step = ReadChainBlock(end, length, &header, &ahead)) == ChainStep::kBlock) {
    const bool goes = header.IsFree() || header.fType == IFFResMap::kType;
    if (goes || !blocks.empty()) blocks.push_back({end, header.fSize, goes, header.IsFree()});
    end += header.fSize;
  }
  if (step == ChainStep::kBroken || (step == ChainStep::kEnd && (end > length || length - end >= kHeaderSize)))
    return kResErrNone;

  status = BeginChange();
  if (status != kResErrNone) return status;
  fBlockStarts.clear();
  int32_t gap = 0;
  // Whether the bytes between the last block that stays and the next one are
  // a single free block.
  bool gapIsOneBlock = false;
  for (const Block& block : blocks) {
    if (block.goes) {
      gapIsOneBlock = gap == 0 && block.free;
      gap += block.size;
      continue;
    }
    status = MoveBlock(block.offset, gap, block.size, gapIsOneBlock, buffer.get());
    if (status != kResErrNone) return status;
    fMap->AdjustOffset(block.offset, gap);
    gapIsOneBlock = gap <= kMaxBlockSize;
  }

  // One free block over all that goes, so that a cut that fails still leaves
  // a chain that ends at the end of the file.
  const int32_t newEnd = end - gap;
  if (gap >= kHeaderSize && gap <= kMaxBlockSize && !gapIsOneBlock) {
    status = WriteBlockHeader(newEnd, IFFBlockHeader::Free(gap));
    if (status != kResErrNone) return status;
  }
  if (newEnd != length) {
    status = FlatFile::SetSize(newEnd);
    if (status != kResErrNone) return status;
  }
  // No free space is left before the end, so the next search starts there.
  fHint = newEnd;
  fMap->SetInvalidTotal(0);
  return kResErrNone;
}

// The chain stays whole at every step a program can stop between, except
// where noted: the block's new header is written only once the rest of it is
// in place, and the free block that follows it reaches the next block.
int32_t IFFResFile2::MoveBlock(int32_t offset, int32_t gap, int32_t size, bool gapIsOneBlock, uint8_t* buffer) {
  const int32_t to = offset - gap;
  // No single free block can span a gap this large; the block is only copied.
  if (gap > kMaxBlockSize) return CopyDown(offset, gap, size, buffer);
  int32_t status = kResErrNone;

  if (size <= kCopyBufferSize - kHeaderSize) {
    // The block and the free header behind it in one write: a program does
    // not stop in the middle of a write call, so a walk finds the old chain
    // or the new one, whether or not the block overlaps its new place.
    status = FlatFile::SetPos(offset);
    if (status == kResErrNone) status = FlatFile::Read(buffer, size);
    if (status != kResErrNone) return status;
    IFFBlockHeader::Free(gap).ToBytes(buffer + size);
    status = FlatFile::SetPos(to);
    if (status == kResErrNone) status = FlatFile::Write(buffer, size + kHeaderSize);
    return status;
  }

  if (gap >= size + kHeaderSize) {
    // Clear of its old place, the free header behind it included: the gap
    // becomes one free block, so that nothing the copies write over is part
    // of the chain; then the free header, the payload, and the header last.
    if (!gapIsOneBlock) status = WriteBlockHeader(to, IFFBlockHeader::Free(gap));
    if (status == kResErrNone) status = WriteBlockHeader(to + size, IFFBlockHeader::Free(gap));
    if (status == kResErrNone) status = CopyDown(offset + kHeaderSize, gap, size - kHeaderSize, buffer);
    if (status == kResErrNone) status = CopyDown(offset, gap, kHeaderSize, buffer);
    return status;
  }

  // A block larger than the copy buffer that overlaps its new place, or
  // whose free header behind it would, writes over its old header before
  // the new one is whole: a stop in between breaks the chain. The free block
  // behind it makes it whole again.
  status = CopyDown(offset, gap, size, buffer);
  if (status == kResErrNone) status = WriteBlockHeader(to + size, IFFBlockHeader::Free(gap));
  return status;
}

int32_t IFFResFile2::CopyDown(int32_t offset, int32_t gap, int32_t count, uint8_t* buffer) {
  // Lowest piece first: bytes that overlap their new place are read before
  // they are written over.
  for (int32_t done = 0; done < count;) {
    const int32_t piece = std::min(kCopyBufferSize, count - done);
    int32_t status = FlatFile::SetPos(offset + done);
    if (status == kResErrNone) status = FlatFile::Read(buffer, piece);
    if (status == kResErrNone) status = FlatFile::SetPos(offset - gap + done);
    if (status == kResErrNone) status = FlatFile::Write(buffer, piece);
    if (status != kResErrNone) return status;
    done += piece;
  }
  return kResErrNone;
}
