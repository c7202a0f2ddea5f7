#include "msrc/File/IFFResFile.h"

#include <algorithm>
#include <limits>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "msrc/File/IFFFileHeader.h"
#include "msrc/File/IFFFormat.h"
#include "msrc/File/Recon.h"
#include "msrc/File/SimpleReconObject.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/XAssert.h"

namespace {

constexpr const char* kSourcePath = FileBlockRules::kSourcePath;
constexpr int32_t kHeaderSize = FileBlockHeader::kSize;
constexpr int32_t kMaxPayloadSize = std::numeric_limits<int32_t>::max() - kHeaderSize;

int16_t AsCount(int32_t count) { return static_cast<int16_t>(std::min<int32_t>(count, 0x7FFF)); }

// The old names form is read as it stands; a block not marked swizzled has no
// other form to be turned into.
void ReportNamesSwizzle(void* /*data*/, int32_t /*size*/) {
  XASSERT(kSourcePath, __LINE__, "false", "code to swizzle names not implemented");
}

}  // namespace

int16_t IFFResFile::sCreatingNewFile = 0;

IFFResFile::IFFResFile() : fChain(*this, [this] { return BeforeChange(); }) {}

IFFResFile::~IFFResFile() {
  if (FlatFile::ValidFile()) Close();
}

// ---- Opening and closing -------------------------------------------------

int32_t IFFResFile::Create(const StringBuffer& path) {
  int32_t status = FlatFile::Create(path);
  if (status != kResErrNone) return SetError(status);
  {
    FlatFile file;
    status = file.Open(path);
    if (status != kResErrNone) {
      XASSERT(kSourcePath, __LINE__, "!err", "could not open newly created file");
      return SetError(status);
    }
    const IFFFileHeader header = IFFFileHeader::Version1();
    status = file.SetPos(0);
    if (status == kResErrNone) status = file.Write(header.Bytes(), IFFFileHeader::kSize);
    file.Close();
  }
  if (status != kResErrNone) return SetError(status);

  sCreatingNewFile = 1;
  if (Open(path) != kResErrNone) {
    XASSERT(kSourcePath, __LINE__, "!err", "could not open brand new file");
  } else {
    EnterInternalMode();
    SaveNamesCache();
    ExitInternalMode();
    Close();
  }
  sCreatingNewFile = 0;
  return SetError(status);
}

int32_t IFFResFile::Delete(const StringBuffer& path) {
  if (FlatFile::ValidFile()) return SetError(kResErrAlreadyOpen);
  return SetError(FlatFile::Delete(path));
}

int32_t IFFResFile::Open(const StringBuffer& path) {
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
  if (!IFFFileHeader::FromBytes(bytes).IsVersion1()) {
    FlatFile::Close();
    return SetError(kResErrNotIff);
  }

  FreeLists();
  fChain.Reset();
  fWritten = false;
  fChanged = false;
  fRepairing = false;
  fNamesEdited = false;
  int32_t length = 0;
  if (fChain.FileLength(&length) != kResErrNone) length = 0;
  WalkChain(length);

  if (fNameList != nullptr) XASSERT(kSourcePath, __LINE__, "!fNameList", "double open?");
  fNameList = std::make_unique<IFFNameList>();
  EnterInternalMode();
  const int32_t nameErr = LoadNamesCache();
  if (nameErr != kResErrNone && sCreatingNewFile == 0)
    XASSERT(kSourcePath, __LINE__, "sCreatingNewFile || nameErr==noErr", "no names cache");
  ExitInternalMode();
  return SetError(kResErrNone);
}

void IFFResFile::WalkChain(int32_t fileLength) {
  // Types are found through a table while the lists are built, so that a
  // file with many types is not searched from the head for every block.
  std::unordered_map<ResType, TypeCache*> found[2];
  bool outOfMemory = false;
  std::vector<int32_t> starts;
  const Chain::Ending ending = fChain.Walk(fileLength, [&](int32_t offset, const FileBlockHeader& header) {
    starts.push_back(offset);
    if (outOfMemory) return;
    if (header.IsFree()) {
      fChain.AddInvalid(header.fSize);
      return;
    }
    const bool internal = (header.fFlags & kInternal) != 0;
    std::unique_ptr<TypeCache>& list = internal ? fInternalTypes : fTypes;
    TypeCache*& type = found[internal ? 1 : 0][header.fType];
    if (type == nullptr) {
      std::unique_ptr<TypeCache> added(new (std::nothrow) TypeCache(header.fType));
      if (added == nullptr) {
        XASSERT(kSourcePath, __LINE__, "spot", "could not make new res cache");
        outOfMemory = true;
        return;
      }
      added->fNext = std::move(list);
      list = std::move(added);
      type = list.get();
    }
    ResCache* resource = type->Prepend();
    if (resource == nullptr) {
      XASSERT(kSourcePath, __LINE__, "spot", "could not make new res cache");
      outOfMemory = true;
      return;
    }
    resource->fId = header.fId;
    resource->fFlags = header.fFlags;
    resource->fFileOffset = offset;
    resource->fNameIndex = header.fNameIndex;
  });
  if (ending.offset < fileLength) starts.push_back(ending.offset);
  starts.push_back(fileLength);
  fChain.SetKnownStarts(std::move(starts));
}

int32_t IFFResFile::BeforeChange() {
  fWritten = true;
  if (!fRepairing) fChanged = true;
  return kResErrNone;
}

int32_t IFFResFile::LoadNamesCache() {
  TypeCache* names = FindType(IFFNameList::kType);
  ResCache* old = names != nullptr ? names->FindId(kOldNamesCacheId) : nullptr;
  if (old != nullptr) {
    MHandle handle = GetResource(IFFNameList::kType, kOldNamesCacheId, ReportNamesSwizzle);
    if (handle != nullptr) {
      const int32_t size = GetMHandleSize(handle);
      if (size > 0) {
        fNameList->AppendOldForm(static_cast<const uint8_t*>(LockMHandle(handle)), size);
        UnlockMHandle(handle);
      }
      fNameList->SetDirty(false);
      return kResErrNone;
    }
  }
  SimpleReconObject<IFFNameList> object(fNameList.get(), IFFNameList::kType);
  const int32_t status = ReadReconResource(object, *this, kNamesCacheId);
  if (status != kResErrNone) {
    // What a failed read may have left is not a names cache.
    fNameList = std::make_unique<IFFNameList>();
    return status;
  }
  fNameList->SetDirty(false);
  return kResErrNone;
}

int32_t IFFResFile::SaveNamesCache() {
  // A block left by an earlier save whose old block could not be freed.
  TypeCache* names = FindType(IFFNameList::kType);
  if (ResCache* current = names != nullptr ? names->FindId(kNamesCacheId) : nullptr) {
    const int32_t status = FreeReplacedBlock(current, IFFNameList::kType);
    if (status != kResErrNone) return status;
  }
  if (!fNameList->IsDirty()) return kResErrNone;
  // A cache written only because the file had none is a repair, not a change.
  struct Repair {
    bool& flag;
    ~Repair() { flag = false; }
  } repair{fRepairing};
  fRepairing = !fNamesEdited;

  SimpleReconObject<IFFNameList> object(fNameList.get(), IFFNameList::kType);
  MHandle handle = ReconToHandle(object, IFFNameList::kVersion);
  if (handle == nullptr) return kResErrFailed;
  const FixedStringBuffer<64> unnamed;
  AddResource(handle, IFFNameList::kType, kNamesCacheId, unnamed, true);
  if (Error() != kResErrNone) {
    DisposeMHandle(handle);
    return Error();
  }
  WriteResource(handle);
  // When the new bytes are on disk, only the old block's release failed: it
  // is tried again at the next save.
  const int32_t written = Error();
  TypeCache* type = nullptr;
  ResCache* resource = OwnResource(handle, &type);
  if (written != kResErrNone && resource != nullptr && !resource->OnDisk()) {
    // The names cache on disk stays as it was, and so does its place here;
    // the list stays dirty for the next flush.
    AbandonReplacement(type, resource);
    return written;
  }
  DetachResource(handle);
  if (Error() != kResErrNone) return Error();
  DisposeMHandle(handle);
  fNameList->SetDirty(false);

  names = FindType(IFFNameList::kType);
  // A save that stopped half-way may have left a second names cache behind;
  // only the one just written says what the keys mean, and a reader takes
  // whichever it meets first.
  for (ResCache* other = names != nullptr ? names->fResources.get() : nullptr; other != nullptr;) {
    ResCache* next = other->fNext.get();
    if (other != resource && other->fId == kNamesCacheId && Drop(other, names->fType) == kResErrNone)
      names->Remove(other);
    other = next;
  }
  ResCache* old = names != nullptr ? names->FindId(kOldNamesCacheId) : nullptr;
  if (old != nullptr) {
    if (Drop(old, names->fType) == kResErrNone) {
      names->Remove(old);
    } else {
      XASSERT(kSourcePath, __LINE__, "false", "could not remove old names");
    }
  }
  return SetError(written);
}

int32_t IFFResFile::Suspend() { return SetError(kResErrCannotSuspend); }

int32_t IFFResFile::Resume() { return SetError(kResErrCannotSuspend); }

void IFFResFile::Flush() {
  if (!OpenCheck()) return;
  int32_t first = kResErrNone;
  if (FlatFile::IsWritable()) {
    EnterInternalMode();
    first = SaveNamesCache();
    ExitInternalMode();

    // Oldest first: the types from the end of the list, each one's resources
    // likewise.
    std::vector<TypeCache*> types;
    for (TypeCache* type = fTypes.get(); type != nullptr; type = type->fNext.get()) types.push_back(type);
    std::vector<ResCache*> resources;
    for (auto type = types.rbegin(); type != types.rend(); ++type) {
      resources.clear();
      for (ResCache* resource = (*type)->fResources.get(); resource != nullptr; resource = resource->fNext.get())
        resources.push_back(resource);
      for (auto resource = resources.rbegin(); resource != resources.rend(); ++resource) {
        int32_t status = kResErrNone;
        if (!(*resource)->OnDisk() && (*resource)->Handle() != nullptr) {
          status = WriteCache(*resource, (*type)->fType);
        } else if ((*resource)->OnDisk()) {
          status = FreeReplacedBlock(*resource, (*type)->fType);
        }
        if (first == kResErrNone) first = status;
      }
    }

    // Names of replaced blocks freed just now.
    if (first == kResErrNone && fNameList->IsDirty()) {
      EnterInternalMode();
      first = SaveNamesCache();
      ExitInternalMode();
    }
  }
  // The bytes are pushed to the disk while the file stays open: letting go of
  // it would let another program in, and this object's cache would then
  // describe a file that it no longer holds.
  if (first == kResErrNone && fWritten) {
    first = FlatFile::Flush();
    if (first != kResErrNone)
      XASSERT(kSourcePath, __LINE__, "!err", "could not close and reopen file of the same name");
    if (first == kResErrNone) fWritten = false;
  }
  SetError(first);
}

int32_t IFFResFile::Close() {
  if (!OpenCheck()) {
    FreeLists();
    fNameList.reset();
    return kResErrNotOpen;
  }
  Flush();
  const int32_t status = Error();
  FreeLists();
  // Compacting is worth doing, not needed: one that fails leaves the file as
  // it was.
  if (status == kResErrNone && FlatFile::IsWritable() && fChanged &&
      fChain.InvalidTotal() >= kDefragmentThreshold && fChain.Defragment(nullptr) != kResErrNone)
    XASSERT(kSourcePath, __LINE__, "!err", "critical error during defrag");
  fNameList.reset();
  fChain.Reset();
  fWritten = false;
  fChanged = false;
  fNamesEdited = false;
  const int32_t closed = FlatFile::Close();
  // A failure on the way is the result, even though the file is closed.
  return SetError(status != kResErrNone ? status : closed);
}

void IFFResFile::FreeLists() {
  if (fInternalMode) std::swap(fTypes, fInternalTypes);
  fInternalMode = false;
  fTypes.reset();
  fInternalTypes.reset();
}

bool IFFResFile::IsWritable() { return FlatFile::IsWritable(); }

void IFFResFile::GetPath(StringBuffer* path) { SetError(FlatFile::GetPath(path)); }

bool IFFResFile::ValidFile() { return FlatFile::ValidFile(); }

void IFFResFile::EnterInternalMode() {
  if (fInternalMode) {
    XASSERT(kSourcePath, __LINE__, "!fInternalMode", "entering internal mode more than once");
    return;
  }
  std::swap(fTypes, fInternalTypes);
  fInternalMode = true;
}

void IFFResFile::ExitInternalMode() {
  if (!fInternalMode) {
    XASSERT(kSourcePath, __LINE__, "fInternalMode", "exiting internal mode more than once");
    return;
  }
  std::swap(fTypes, fInternalTypes);
  fInternalMode = false;
}

// ---- Lookups ---------------------------------------------------------------

bool IFFResFile::OpenCheck() { return SetError(FlatFile::ValidFile() ? kResErrNone : kResErrNotOpen) == kResErrNone; }

TypeCache* IFFResFile::FindType(ResType type) const {
  for (TypeCache* held = fTypes.get(); held != nullptr; held = held->fNext.get()) {
    if (held->fType == type) return held;
  }
  return nullptr;
}

ResCache* IFFResFile::OwnResource(MHandle handle, TypeCache** typeOut) const {
  if (handle == nullptr) return nullptr;
  for (TypeCache* type = fTypes.get(); type != nullptr; type = type->fNext.get()) {
    for (ResCache* resource = type->fResources.get(); resource != nullptr; resource = resource->fNext.get()) {
      if (resource->Handle() == handle) {
        if (typeOut != nullptr) *typeOut = type;
        return resource;
      }
    }
  }
  return nullptr;
}

int16_t IFFResFile::CountTypes() {
  if (!OpenCheck()) return 0;
  int32_t count = 0;
  for (const TypeCache* type = fTypes.get(); type != nullptr; type = type->fNext.get()) ++count;
  return AsCount(count);
}

ResType IFFResFile::GetIndType(int16_t index) {
  if (!OpenCheck()) return 0;
  const TypeCache* type = fTypes.get();
  for (int32_t step = 1; type != nullptr && step < index; ++step) type = type->fNext.get();
  if (type == nullptr) {
    SetError(kResErrTypeIndex);
    return 0;
  }
  return type->fType;
}

int16_t IFFResFile::CountResources(ResType type) {
  if (!OpenCheck()) return 0;
  const TypeCache* found = FindType(type);
  return found != nullptr ? AsCount(found->Count()) : 0;
}

MHandle IFFResFile::GetResource(ResType type, int16_t id, SwizzleProc swizzle) {
  if (!OpenCheck()) return nullptr;
  ResCache* resource = nullptr;
  if (const TypeCache* found = FindType(type)) resource = found->FindId(id);
  if (resource == nullptr) {
    SetError(kResErrNotFound);
    return nullptr;
  }
  return LoadAndAnswer(resource, type, swizzle);
}

MHandle IFFResFile::GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) {
  if (!OpenCheck()) return nullptr;
  const TypeCache* found = name.Length() > 0 ? FindType(type) : nullptr;
  // Names of every type share the cache: the first entry of the name whose
  // key a resource of the type carries.
  for (int32_t i = found != nullptr ? fNameList->FindName(name) : -1; i >= 0; i = fNameList->FindName(name, i + 1)) {
    const int32_t key = fNameList->At(i).fKey;
    if (key == IFFNameList::kNoKey) continue;
    for (ResCache* resource = found->fResources.get(); resource != nullptr; resource = resource->fNext.get()) {
      if (resource->fNameIndex == key) return LoadAndAnswer(resource, type, swizzle);
    }
  }
  SetError(kResErrNotOwned);
  return nullptr;
}

MHandle IFFResFile::GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) {
  if (!OpenCheck()) return nullptr;
  ResCache* resource = nullptr;
  if (const TypeCache* found = FindType(type)) resource = found->ByIndex(index);
  if (resource == nullptr) {
    SetError(kResErrNotFound);
    return nullptr;
  }
  return LoadAndAnswer(resource, type, swizzle);
}

void IFFResFile::GetResName(MHandle handle, StringBuffer* name) {
  name->Clear();
  if (!OpenCheck()) return;
  const ResCache* resource = OwnResource(handle, nullptr);
  if (resource == nullptr) {
    SetError(kResErrNotFound);
    return;
  }
  if (resource->fNameIndex == IFFNameList::kNoKey) return;
  const IFFNameList::Entry* entry = fNameList->FindKey(resource->fNameIndex);
  if (entry == nullptr) {
    XASSERT(kSourcePath, __LINE__, "iffName", "name index not found");
    return;
  }
  name->Assign(entry->fName);
}

ResType IFFResFile::GetResType(MHandle handle) {
  if (!OpenCheck()) return 0;
  TypeCache* type = nullptr;
  if (OwnResource(handle, &type) == nullptr) {
    SetError(kResErrNotFound);
    return 0;
  }
  return type->fType;
}

void IFFResFile::GetResID(MHandle handle, int16_t* id) {
  if (!OpenCheck()) return;
  const ResCache* resource = OwnResource(handle, nullptr);
  if (resource == nullptr) {
    SetError(kResErrNotFound);
    return;
  }
  *id = resource->fId;
}

void IFFResFile::Reserved1(uint32_t /*value*/, int16_t* result) {
  if (result != nullptr) *result = 0;
  if (OpenCheck()) SetError(kResErrUnsupported);
}

void IFFResFile::MakeUniqueName(ResType type, StringBuffer* name) {
  if (!OpenCheck()) return;
  const TypeCache* found = FindType(type);
  const auto conflicts = [&](const StringBuffer& candidate) {
    if (found == nullptr) return false;
    for (int32_t i = fNameList->FindName(candidate); i >= 0; i = fNameList->FindName(candidate, i + 1)) {
      const int32_t key = fNameList->At(i).fKey;
      if (key == IFFNameList::kNoKey) continue;
      for (const ResCache* resource = found->fResources.get(); resource != nullptr; resource = resource->fNext.get())
        if (resource->fNameIndex == key) return true;
    }
    return false;
  };
  FixedStringBuffer<64> base;
  base.Append(*name, IFFNameList::kMaxNameLength);
  FixedStringBuffer<64> candidate(base);
  bool changed = false;
  // The counter's digits replace the end of a base too long to take them, so
  // every candidate differs from the one before and the search ends.
  for (int32_t counter = 0; conflicts(candidate); ++counter) {
    FixedStringBuffer<16> digits;
    digits.AppendNumber(counter);
    candidate.Clear();
    candidate.Append(base, IFFNameList::kMaxNameLength - digits.Length());
    candidate.Append(digits);
    changed = true;
  }
  if (changed) name->Assign(candidate);
}

int16_t IFFResFile::UniqueID(ResType type) {
  if (!OpenCheck()) return 0;
  int32_t largest = 128;
  if (const TypeCache* found = FindType(type)) {
    for (const ResCache* resource = found->fResources.get(); resource != nullptr; resource = resource->fNext.get())
      largest = std::max<int32_t>(largest, resource->fId);
  }
  return static_cast<int16_t>(largest + 1);
}

void IFFResFile::Reserved2(MHandle /*handle*/) {
  if (OpenCheck()) SetError(kResErrUnsupported);
}

bool IFFResFile::IsSwizzled(MHandle handle) {
  if (!OpenCheck()) return true;
  const ResCache* resource = OwnResource(handle, nullptr);
  if (resource == nullptr) {
    SetError(kResErrNotOwned);
    return true;
  }
  return (resource->fFlags & kSwizzled) != 0;
}

MHandle IFFResFile::LoadAndAnswer(ResCache* resource, ResType type, SwizzleProc swizzle) {
  return SetError(Load(resource, type, swizzle)) == kResErrNone ? resource->Handle() : nullptr;
}

int32_t IFFResFile::Load(ResCache* resource, ResType type, SwizzleProc swizzle) {
  if (resource->Handle() != nullptr) return kResErrNone;
  if (!resource->OnDisk()) {
    XASSERT(kSourcePath, __LINE__, "rc->fileoffset!=-1", "resource not in ram or on disk");
    return kIFFErrDamaged;
  }
  const bool convert = (resource->fFlags & kSwizzled) == 0 && swizzle != nullptr;
  MHandle handle = nullptr;
  FileBlockHeader header;
  const int32_t status = fChain.Load(resource->fFileOffset, type, convert ? swizzle : nullptr, &handle, &header);
  if (status != kResErrNone) return status;
  resource->AttachHandle(handle);
  // Empty bytes have nothing to convert, but count as converted all the same.
  if (convert) resource->fFlags |= kSwizzled;
  return kResErrNone;
}

// ---- Changes -----------------------------------------------------------------

void IFFResFile::DetachResource(MHandle handle) {
  if (!OpenCheck()) return;
  TypeCache* type = nullptr;
  ResCache* resource = OwnResource(handle, &type);
  if (resource == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  SetError(Detach(resource, type->fType));
}

int32_t IFFResFile::Detach(ResCache* resource, ResType type) {
  if (!resource->OnDisk()) {
    // Bytes that are nowhere else stay with the file until they are written.
    const int32_t status = WriteCache(resource, type);
    if (!resource->OnDisk()) {
      XASSERT(kSourcePath, __LINE__, "rc->fileoffset!=-1", "bad offset");
      return status != kResErrNone ? status : kIFFErrDamaged;
    }
  }
  resource->TakeHandle();
  FileBlockHeader header;
  const int32_t status = fChain.ReadHeader(resource->fFileOffset, &header);
  if (status == kResErrNone) resource->fFlags = header.fFlags;
  return status;
}

void IFFResFile::AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) {
  if (!OpenCheck()) return;
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  if (handle == nullptr) {
    SetError(kMHandleErrBad);
    return;
  }
  TypeCache* found = FindType(type);
  ResCache* resource = found != nullptr ? found->FindId(id) : nullptr;

  // A handle that carries another of this file's resources leaves that one
  // first, the way DetachResource would; otherwise two would dispose of it.
  TypeCache* heldType = nullptr;
  ResCache* holder = OwnResource(handle, &heldType);
  if (holder != nullptr && holder != resource) {
    const int32_t status = Detach(holder, heldType->fType);
    if (status != kResErrNone) {
      SetError(status);
      return;
    }
  }

  // A key's name never changes while a block on disk carries the key: a
  // replacement keeps the old key only when it keeps the old name, and a new
  // name gets a new key, saved with the names cache before any block names
  // it. So whichever block a reader finds, old or new, it finds its name.
  int32_t oldKey = IFFNameList::kNoKey;
  if (resource != nullptr) {
    oldKey = resource->fNameIndex;
    if (resource->Handle() == handle) resource->TakeHandle();
    if (resource->OnDisk()) {
      // The old block stays a live block, with its name, until the new bytes
      // are on disk; an older one still waiting goes now, since only one can
      // wait.
      const int32_t status = FreeReplacedBlock(resource, type);
      if (status != kResErrNone) {
        SetError(status);
        return;
      }
      resource->fReplacedOffset = resource->fFileOffset;
      resource->fReplacedId = resource->fId;
      resource->fReplacedFlags = resource->fFlags;
      resource->fReplacedNameIndex = resource->fNameIndex;
      resource->fFileOffset = ResCache::kNotOnDisk;
    }
    // The name of a block still on disk goes with the block.
    if (name.Length() == 0 && oldKey != resource->fReplacedNameIndex) SetName(oldKey, FixedStringBuffer<1>());
    resource->DisposeHandle();
  } else {
    if (found == nullptr) {
      std::unique_ptr<TypeCache> added(new (std::nothrow) TypeCache(type));
      if (added == nullptr) {
        XASSERT(kSourcePath, __LINE__, "spot", "could not make new res cache");
        SetError(kMHandleErrNoMemory);
        return;
      }
      added->fNext = std::move(fTypes);
      fTypes = std::move(added);
      found = fTypes.get();
    }
    resource = found->Prepend();
    if (resource == nullptr) {
      XASSERT(kSourcePath, __LINE__, "spot", "could not make new res cache");
      SetError(kMHandleErrNoMemory);
      return;
    }
  }

  resource->fId = id;
  resource->fFlags = static_cast<uint16_t>((swizzled ? kSwizzled : 0) | (fInternalMode ? kInternal : 0));
  resource->AttachHandle(handle);
  resource->fNameIndex = IFFNameList::kNoKey;
  if (name.Length() > 0) {
    const IFFNameList::Entry* kept = oldKey != IFFNameList::kNoKey ? fNameList->FindKey(oldKey) : nullptr;
    FixedStringBuffer<64> stored;
    stored.Append(name, IFFNameList::kMaxNameLength);
    resource->fNameIndex = kept != nullptr && kept->fName.Compare(stored) == 0 ? oldKey : fNameList->NextKey();
    SetName(resource->fNameIndex, name);
  }
  SetError(kResErrNone);
}

void IFFResFile::WriteResource(MHandle handle) {
  if (!OpenCheck()) return;
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  TypeCache* type = nullptr;
  ResCache* resource = OwnResource(handle, &type);
  if (resource == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  SetError(WriteCache(resource, type->fType));
}

int32_t IFFResFile::WriteCache(ResCache* resource, ResType type) {
  // The names first: a block never names a key the cache on disk lacks.
  if (!fInternalMode && fNameList->IsDirty()) {
    EnterInternalMode();
    const int32_t saved = SaveNamesCache();
    ExitInternalMode();
    if (saved != kResErrNone) return saved;
  }
  const int32_t payloadSize = GetMHandleSize(resource->Handle());
  if (payloadSize < 0 || payloadSize > kMaxPayloadSize) return kIFFErrDamaged;
  if ((resource->fFlags & kInvalid) != 0)
    XASSERT(kSourcePath, __LINE__, "!(rc->flags&kInvalid)", "writing invalid resource");
  // Never written as free space, whatever the flags say.
  const FileBlockHeader header(type, payloadSize + kHeaderSize, resource->fId,
                               static_cast<uint16_t>(resource->fFlags & ~kInvalid), resource->fNameIndex);

  bool resized = false;
  if (resource->OnDisk()) {
    int32_t status = FreeReplacedBlock(resource, type);
    if (status != kResErrNone) return status;
    FileBlockHeader stored;
    status = fChain.CheckOwn(resource->fFileOffset, type, resource->fId, &stored);
    if (status == kResErrNone && stored.fSize == header.fSize) {
      status = fChain.WriteBlock(resource->fFileOffset, header, resource->Handle());
      if (status != kResErrNone) XASSERT(kSourcePath, __LINE__, "!err", "could not write resource");
      return status;
    }
    // A block that is not this resource's is left alone; the bytes go to a
    // new one.
    if (status != kResErrNone && status != kIFFErrDamaged) {
      XASSERT(kSourcePath, __LINE__, "false", "couldn't get header");
      return status;
    }
    resized = status == kResErrNone;
  }

  // The new block is written before the old one is given up, so a failure
  // on the way leaves the old resource where it was.
  int32_t offset = 0;
  bool appended = false;
  int32_t status = fChain.Allocate(payloadSize, true, &offset, &appended);
  if (status != kResErrNone) {
    XASSERT(kSourcePath, __LINE__, "false", "could not make new header");
    return status;
  }
  status = fChain.WriteBlock(offset, header, resource->Handle());
  if (status != kResErrNone) {
    XASSERT(kSourcePath, __LINE__, "!err", "could not write resource");
    fChain.Release(offset, header.fSize, appended);
    return status;
  }
  if (resized) {
    resource->fReplacedOffset = resource->fFileOffset;
    resource->fReplacedId = resource->fId;
    resource->fReplacedFlags = resource->fFlags;
    resource->fReplacedNameIndex = resource->fNameIndex;
  }
  resource->fFileOffset = offset;
  status = FreeReplacedBlock(resource, type);
  if (status != kResErrNone) XASSERT(kSourcePath, __LINE__, "false", "could not inval header");
  return status;
}

void IFFResFile::RemoveResource(MHandle handle) {
  if (!OpenCheck()) return;
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  TypeCache* type = nullptr;
  ResCache* resource = OwnResource(handle, &type);
  if (resource == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  // A block that cannot be freed keeps its resource, in the file and here.
  const int32_t status = Drop(resource, type->fType);
  if (status == kResErrNone) type->Remove(resource);
  SetError(status);
}

int32_t IFFResFile::Drop(ResCache* resource, ResType type) {
  int32_t status = FreeReplacedBlock(resource, type);
  if (status == kResErrNone && resource->OnDisk()) status = FreeResourceBlock(resource, type);
  if (status != kResErrNone) return status;
  resource->fFileOffset = ResCache::kNotOnDisk;
  SetName(resource->fNameIndex, FixedStringBuffer<1>());
  resource->DisposeHandle();
  return kResErrNone;
}

void IFFResFile::AbandonReplacement(TypeCache* type, ResCache* resource) {
  resource->DisposeHandle();
  if (resource->fNameIndex != resource->fReplacedNameIndex) SetName(resource->fNameIndex, FixedStringBuffer<1>());
  if (!resource->HasReplacedBlock()) {
    type->Remove(resource);
    return;
  }
  resource->fFileOffset = resource->fReplacedOffset;
  resource->fId = resource->fReplacedId;
  // As stored: the flags in memory may say the bytes were swizzled.
  FileBlockHeader header;
  resource->fFlags = fChain.ReadHeader(resource->fFileOffset, &header) == kResErrNone ? header.fFlags
                                                                                    : resource->fReplacedFlags;
  resource->fNameIndex = resource->fReplacedNameIndex;
  resource->fReplacedOffset = ResCache::kNotOnDisk;
  resource->fReplacedNameIndex = IFFNameList::kNoKey;
}

void IFFResFile::SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) {
  if (!OpenCheck()) return;
  if (language != 0) {
    SetError(kResErrNoLanguages);
    return;
  }
  TypeCache* type = nullptr;
  ResCache* resource = OwnResource(handle, &type);
  if (resource == nullptr) {
    SetError(kResErrNotOwned);
    return;
  }
  if (!FlatFile::IsWritable()) {
    SetError(kResErrNotWritable);
    return;
  }
  FixedStringBuffer<64> newName;
  newName.Append(name, IFFNameList::kMaxNameLength);
  const int32_t oldKey = resource->fNameIndex;
  const IFFNameList::Entry* named = oldKey != IFFNameList::kNoKey ? fNameList->FindKey(oldKey) : nullptr;
  const bool renamed = named != nullptr ? named->fName.Compare(newName) != 0 : newName.Length() > 0;
  int32_t key = oldKey;
  bool changed = resource->fId != id;
  // A new id and a new name reach the disk in two blocks, the header and the
  // names cache: the new name goes under a new key, saved first, so that the
  // header names the old name or the new one, never a mix. A new name alone
  // is the names cache's change only.
  if (newName.Length() > 0 && (key == IFFNameList::kNoKey || (changed && renamed))) {
    key = fNameList->NextKey();
    changed = true;
  }
  if (changed && resource->OnDisk()) {
    if (key != oldKey) {
      SetName(key, newName);
      EnterInternalMode();
      const int32_t saved = SaveNamesCache();
      ExitInternalMode();
      if (saved != kResErrNone) {
        SetName(key, FixedStringBuffer<1>());
        SetError(saved);
        return;
      }
    }
    FileBlockHeader header;
    int32_t status = fChain.ReadHeader(resource->fFileOffset, &header);
    if (status == kResErrNone && header.fType != type->fType) {
      XASSERT(kSourcePath, __LINE__, "header.type == type", "types don't match");
      status = kIFFErrDamaged;
    }
    if (status == kResErrNone && header.IsFree()) {
      XASSERT(kSourcePath, __LINE__, "!(header.flags&kInvalid)", "invalid header");
      status = kIFFErrDamaged;
    }
    if (status == kResErrNone && header.fId != resource->fId) status = kIFFErrDamaged;
    if (status == kResErrNone) {
      header.fId = id;
      header.fNameIndex = key;
      status = fChain.WriteHeader(resource->fFileOffset, header);
    }
    if (status != kResErrNone) {
      if (key != oldKey) SetName(key, FixedStringBuffer<1>());
      SetError(status);
      return;
    }
  }
  // The old key's entry goes at the next save of the names cache.
  if (key != oldKey) SetName(oldKey, FixedStringBuffer<1>());
  resource->fId = id;
  resource->fNameIndex = key;
  SetName(key, newName);
  SetError(kResErrNone);
}

void IFFResFile::SetName(int32_t key, const StringBuffer& name) {
  if (key == IFFNameList::kNoKey) return;
  // Setting what is there already changes nothing to save.
  const IFFNameList::Entry* entry = fNameList->FindKey(key);
  if (entry == nullptr ? name.Length() == 0 : entry->fName.Compare(name) == 0) return;
  fNameList->SetName(key, name);
  fNamesEdited = true;
}

// ---- Blocks --------------------------------------------------------------

int32_t IFFResFile::FreeResourceBlock(ResCache* resource, ResType type) {
  FileBlockHeader header;
  const int32_t status = fChain.CheckOwn(resource->fFileOffset, type, resource->fId, &header);
  if (status == kIFFErrDamaged) return kResErrNone;
  if (status != kResErrNone) return status;
  return fChain.FreeBlock(resource->fFileOffset, header);
}

int32_t IFFResFile::FreeReplacedBlock(ResCache* resource, ResType type) {
  if (!resource->HasReplacedBlock()) return kResErrNone;
  FileBlockHeader header;
  int32_t status = fChain.CheckOwn(resource->fReplacedOffset, type, resource->fReplacedId, &header);
  if (status == kResErrNone) status = fChain.FreeBlock(resource->fReplacedOffset, header);
  if (status != kResErrNone && status != kIFFErrDamaged) return status;
  resource->fReplacedOffset = ResCache::kNotOnDisk;
  if (resource->fReplacedNameIndex != resource->fNameIndex)
    SetName(resource->fReplacedNameIndex, FixedStringBuffer<1>());
  resource->fReplacedNameIndex = IFFNameList::kNoKey;
  return kResErrNone;
}
