#include "msrc/File/Recon.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "msrc/File/ReconObject.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/XAssert.h"

namespace {

constexpr const char* kSourcePath = "msrc/File/Recon";
constexpr int32_t kMaxPosition = std::numeric_limits<int32_t>::max();

// Copies one element of `width` bytes, reversing its bytes when asked.
void CopyElement(uint8_t* to, const uint8_t* from, int32_t width, bool swap) {
  uint8_t bytes[4];
  std::memcpy(bytes, from, static_cast<size_t>(width));
  if (swap) std::reverse(bytes, bytes + width);
  std::memcpy(to, bytes, static_cast<size_t>(width));
}

// Whether v survives being cut to its low `width` bits and sign-extended back.
bool FitsWidth(int32_t v, int32_t width) {
  if (width < 1 || width > 32) return false;
  if (width == 32) return true;
  const int32_t high = v >> (width - 1);
  return high == 0 || high == -1;
}

uint32_t LowBits(uint32_t v, int32_t width) { return width >= 32 ? v : v & ((1u << width) - 1u); }

int32_t SignExtend(uint32_t v, int32_t width) {
  if (width < 32 && (v & (1u << (width - 1))) != 0) v |= ~((1u << width) - 1u);
  return static_cast<int32_t>(v);
}

}  // namespace

Recon::Header Recon::Header::Read(const uint8_t* bytes) {
  Header header;
  header.fByteOrder = bytes[0];
  std::memcpy(&header.fVersion, bytes + 4, sizeof header.fVersion);
  std::memcpy(&header.fType, bytes + 8, sizeof header.fType);
  return header;
}

void Recon::Header::Write(uint8_t* bytes) const {
  bytes[0] = fByteOrder;
  bytes[1] = bytes[2] = bytes[3] = 0;
  std::memcpy(bytes + 4, &fVersion, sizeof fVersion);
  std::memcpy(bytes + 8, &fType, sizeof fType);
}

Recon::Recon(uint8_t* data, int32_t size, int32_t mode, bool swap)
    : fData(data), fSize(data != nullptr && size > 0 ? size : 0), fMode(mode), fSwap(swap) {
  if (mode != kReading && mode != kWriting) {
    XASSERT(kSourcePath, __LINE__, "mode==kReading || mode==kWriting", "wrong mode in constructor");
  }
}

Recon::Recon() : fData(nullptr), fSize(0), fMode(kSizing), fSwap(false) {}

int32_t Recon::Remaining() const { return fMode == kSizing ? 0 : fSize - fPosition; }

bool Recon::CheckMode(int32_t line) {
  if (fMode == kReading || fMode == kWriting) return true;
  XASSERT(kSourcePath, line, "fMode==kReading || fMode==kWriting", "mode switched");
  return false;
}

bool Recon::Fits(int64_t count, int32_t line, const char* condition) {
  if (static_cast<int64_t>(fPosition) + count <= fSize) return true;
  XASSERT(kSourcePath, line, condition, "overflow");
  Exhaust();
  return false;
}

void Recon::Exhaust() {
  fPosition = fSize;
  fBitMask = 0;
  fOverflowed = true;
}

void Recon::Advance(int64_t count) {
  const int64_t limit = fMode == kSizing ? kMaxPosition : fSize;
  fPosition = static_cast<int32_t>(std::min<int64_t>(fPosition + count, limit));
}

void Recon::AdvancePadded(int64_t count) {
  int64_t next = fPosition + count;
  if (next % 2 != 0) ++next;
  Advance(next - fPosition);
}

void Recon::CopyElements(void* elements, int32_t count, int32_t width) {
  auto* mine = static_cast<uint8_t*>(elements);
  if (!fSwap) {
    const size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(width);
    if (fMode == kReading) {
      std::memcpy(mine, fData + fPosition, bytes);
    } else {
      std::memcpy(fData + fPosition, mine, bytes);
    }
    fPosition += count * width;
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* element = mine + static_cast<ptrdiff_t>(i) * width;
    uint8_t* stored = fData + fPosition;
    if (fMode == kReading) {
      CopyElement(element, stored, width, fSwap);
    } else {
      CopyElement(stored, element, width, fSwap);
    }
    fPosition += width;
  }
}

void Recon::Long(int32_t* elements, int32_t count) {
  if (count <= 0) return;
  if (fPacked) {
    for (int32_t i = 0; i < count; ++i) PackedInt(&elements[i], kLongWidths);
    return;
  }
  if (fMode == kSizing) {
    Advance(4 * static_cast<int64_t>(count));
    return;
  }
  if (!CheckMode(__LINE__)) return;
  if (!Fits(4 * static_cast<int64_t>(count), __LINE__, "fPosition + numelems*4 <= fSize")) return;
  CopyElements(elements, count, 4);
}

void Recon::Short(int16_t* elements, int32_t count) {
  if (count <= 0) return;
  if (fPacked) {
    for (int32_t i = 0; i < count; ++i) {
      int32_t widened = elements[i];
      PackedInt(&widened, kShortWidths);
      elements[i] = static_cast<int16_t>(widened);
    }
    return;
  }
  if (fMode == kSizing) {
    Advance(2 * static_cast<int64_t>(count));
    return;
  }
  if (!CheckMode(__LINE__)) return;
  if (!Fits(2 * static_cast<int64_t>(count), __LINE__, "fPosition + numelems*2 <= fSize")) return;
  CopyElements(elements, count, 2);
}

void Recon::String(StringBuffer* text) {
  if (fPacked) fBitMask = 0;
  if (fMode == kSizing) {
    AdvancePadded(static_cast<int64_t>(text->Length()) + 1);
    return;
  }
  if (!CheckMode(__LINE__)) return;
  if (fMode == kWriting) {
    const int32_t length = text->Length();
    if (!Fits(static_cast<int64_t>(length) + 1, __LINE__, "fPosition + length + 1 <= fSize")) return;
    std::memcpy(fData + fPosition, text->Text(), static_cast<size_t>(length) + 1);
    AdvancePadded(static_cast<int64_t>(length) + 1);
    return;
  }
  // The stored text counts for the position even when the buffer must cut it.
  text->Clear();
  const int32_t available = fSize - fPosition;
  const char* stored = reinterpret_cast<const char*>(fData + fPosition);
  const void* terminator = available > 0 ? std::memchr(stored, 0, static_cast<size_t>(available)) : nullptr;
  if (terminator == nullptr) {
    if (available > 0) text->Append(stored, available);
    XASSERT(kSourcePath, __LINE__, "terminator != nullptr", "overflow");
    Exhaust();
    return;
  }
  const int32_t length = static_cast<int32_t>(static_cast<const char*>(terminator) - stored);
  text->Append(stored, length);
  AdvancePadded(static_cast<int64_t>(length) + 1);
}

void Recon::Bits(int32_t bitCount, uint32_t* value) { MoveBits(bitCount, value); }

bool Recon::MoveBits(int32_t bitCount, uint32_t* value) {
  if (bitCount < 1 || bitCount > 32) {
    XASSERT(kSourcePath, __LINE__, "bitCount>=1 && bitCount<=32", "bad bitcount");
    return false;
  }
  // Bits left in the current byte: 8 at mask 0x80 down to 1 at 0x01.
  const int32_t inCurrent = static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(fBitMask)));
  const int32_t beyond = bitCount - inCurrent;
  const int32_t newBytes = beyond > 0 ? (beyond + 7) / 8 : 0;
  if (fMode == kSizing) {
    // A whole byte of bits moves the position by one and the mask not at all.
    Advance(newBytes);
    if (beyond <= 0) {
      fBitMask >>= bitCount;
    } else {
      fBitMask = beyond % 8 == 0 ? 0 : 0x80 >> (beyond % 8);
    }
    return true;
  }
  if (!CheckMode(__LINE__)) return false;
  if (!Fits(newBytes, __LINE__, "fPosition + newBytes <= fSize")) return false;
  if (fMode == kReading) {
    uint32_t v = 0;
    for (int32_t bit = bitCount - 1; bit >= 0; --bit) {
      if (TakeBit()) v |= 1u << bit;
    }
    *value = v;
  } else {
    for (int32_t bit = bitCount - 1; bit >= 0; --bit) PutBit(((*value >> bit) & 1u) != 0);
  }
  return true;
}

bool Recon::TakeBit() {
  if (fBitMask == 0) {
    ++fPosition;
    fBitMask = 0x80;
  }
  const bool set = (fData[fPosition - 1] & fBitMask) != 0;
  fBitMask >>= 1;
  return set;
}

void Recon::PutBit(bool bit) {
  if (fBitMask == 0) {
    fData[fPosition++] = 0;
    fBitMask = 0x80;
  }
  if (bit) fData[fPosition - 1] = static_cast<uint8_t>(fData[fPosition - 1] | fBitMask);
  fBitMask >>= 1;
}

void Recon::PackedInt(int32_t* value, const PackedWidths& widths) {
  if (fMode == kReading) {
    uint32_t nonZero = 0;
    if (!MoveBits(1, &nonZero)) return;
    if (nonZero == 0) {
      *value = 0;
      return;
    }
    uint32_t index = 0;
    uint32_t low = 0;
    if (!MoveBits(2, &index) || !MoveBits(widths[index], &low)) return;
    *value = SignExtend(low, widths[index]);
    return;
  }
  uint32_t nonZero = *value != 0 ? 1u : 0u;
  if (!MoveBits(1, &nonZero) || nonZero == 0) return;
  uint32_t index = 0;
  while (index < widths.size() && !FitsWidth(*value, widths[index])) ++index;
  if (index == widths.size()) {
    // Stored cut to the widest width, so the walk keeps its shape.
    XASSERT(kSourcePath, __LINE__, "false", "integer too large");
    index = static_cast<uint32_t>(widths.size() - 1);
  }
  uint32_t low = LowBits(static_cast<uint32_t>(*value), widths[index]);
  if (MoveBits(2, &index)) MoveBits(widths[index], &low);
}

MHandle ReconToHandle(ReconObject& object, int32_t version) {
  Recon sizer;
  object.Reconstitute(sizer, version);
  const int32_t size = sizer.Position();
  if (size > std::numeric_limits<int32_t>::max() - Recon::Header::kSize) return nullptr;
  MHandle handle = NewMHandle(size + Recon::Header::kSize);
  if (handle == nullptr) return nullptr;
  auto* bytes = static_cast<uint8_t*>(LockMHandle(handle));
  Recon::Header header;
  header.fVersion = version;
  header.fType = object.GetType();
  header.Write(bytes);
  Recon writer(bytes + Recon::Header::kSize, size, Recon::kWriting, false);
  object.Reconstitute(writer, version);
  if (writer.Position() != size) {
    XASSERT(kSourcePath, __LINE__, "writer.Position() == size", "sizing and writing walks differ");
  }
  UnlockMHandle(handle);
  return handle;
}

void ReconFromHandle(ReconObject& object, MHandle handle, int32_t* version) {
  const int32_t total = GetMHandleSize(handle);
  if (total < Recon::Header::kSize) {
    XASSERT(kSourcePath, __LINE__, "size >= Recon::Header::kSize", "handle too small for a reconstitution header");
    return;
  }
  auto* bytes = static_cast<uint8_t*>(LockMHandle(handle));
  const Recon::Header header = Recon::Header::Read(bytes);
  if (header.fType != object.GetType()) {
    XASSERT(kSourcePath, __LINE__, "((Header*)data)->type == recon->GetType()", "reconstitution type mismatch");
  }
  Recon reader(bytes + Recon::Header::kSize, total - Recon::Header::kSize, Recon::kReading, header.fByteOrder != 0);
  if (version != nullptr) *version = header.fVersion;
  object.Reconstitute(reader, header.fVersion);
  UnlockMHandle(handle);
}

int32_t WriteReconResource(ReconObject& object, int32_t version, iResFile& file, int16_t id) {
  MHandle handle = ReconToHandle(object, version);
  if (handle == nullptr) return kResErrFailed;
  const FixedStringBuffer<64> unnamed;
  file.AddResource(handle, object.GetType(), id, unnamed, true);
  if (file.Error() != kResErrNone) {
    DisposeMHandle(handle);
    return file.Error();
  }
  file.WriteResource(handle);
  if (file.Error() != kResErrNone) {
    const int32_t error = file.Error();
    file.RemoveResource(handle);
    return error;
  }
  file.DetachResource(handle);
  // A handle the file did not let go of is still the file's to dispose of.
  if (file.Error() != kResErrNone) return file.Error();
  DisposeMHandle(handle);
  return kResErrNone;
}

int32_t ReadReconResource(ReconObject& object, iResFile& file, int16_t id, int32_t* version) {
  MHandle handle = file.GetResource(object.GetType(), id, ReconSwizzle);
  if (handle == nullptr) return file.Error() != kResErrNone ? file.Error() : kResErrNotFound;
  ReconFromHandle(object, handle, version);
  file.ReleaseResource(handle);
  return kResErrNone;
}

void ReconSwizzle(void* data, int32_t size) {
  if (data == nullptr || size < Recon::Header::kSize) return;
  auto* bytes = static_cast<uint8_t*>(data);
  bytes[0] = 1;
  std::reverse(bytes + 4, bytes + 8);
  std::reverse(bytes + 8, bytes + 12);
}
