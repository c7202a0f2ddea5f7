#pragma once

#include <array>
#include <cstdint>

#include "msrc/File/ResType.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

class ReconObject;

// Serializer state for one walk of a record's fields (ReconObject). In
// kReading each field operation fills its arguments from the payload, in
// kWriting it stores them into the payload, in kSizing it only counts the
// bytes the writer would need.
//
// Plain encoding: Long is 4 bytes per element, Short 2, both in the writer's
// byte order (reversed on reading when the payload declares the other order);
// String is the text, a zero byte and, when the position would be odd, one
// padding byte that is skipped rather than written.
//
// Bounds: nothing outside [0, Size()) is ever read or written. A field that
// does not fit is reported as "overflow", copies nothing (its arguments keep
// their values) and leaves the position at the end of the payload, so every
// later field of a short payload keeps its value too. A string whose
// terminator is missing takes the bytes up to the end. In kReading and
// kWriting the position never passes Size().
class Recon {
 public:
  static constexpr int32_t kReading = 0;
  static constexpr int32_t kWriting = 1;
  static constexpr int32_t kSizing = 2;

  // Widths tried in order by PackedInt; Short elements use kShortWidths,
  // Long elements kLongWidths.
  using PackedWidths = std::array<int32_t, 4>;
  static constexpr PackedWidths kShortWidths{5, 8, 13, 16};
  static constexpr PackedWidths kLongWidths{6, 11, 21, 32};

  // The 12 bytes in front of every reconstituted payload:
  //   0  1  byte-order flag: 0 = the payload is in the reader's order,
  //         anything else = reverse every 16- and 32-bit element
  //   1  3  zero
  //   4  4  version, signed
  //   8  4  type code
  // Version and type are in the writer's order; ReconSwizzle turns them round
  // (and sets the flag) for a payload written in the other order.
  struct Header {
    static constexpr int32_t kSize = 12;

    uint8_t fByteOrder = 0;
    int32_t fVersion = 0;
    ResType fType = 0;

    static Header Read(const uint8_t* bytes);
    void Write(uint8_t* bytes) const;
  };

  // Reading or writing over `size` bytes at `data` (not owned). Any other
  // mode is reported "wrong mode in constructor"; a Recon with an unknown mode
  // reports "mode switched" at every field and does nothing.
  Recon(uint8_t* data, int32_t size, int32_t mode, bool swap);
  // Sizing.
  Recon();
  Recon(const Recon&) = delete;
  Recon& operator=(const Recon&) = delete;

  void Long(int32_t* elements, int32_t count = 1);
  void Short(int16_t* elements, int32_t count = 1);
  void String(StringBuffer* text);
  // Packed encoding: bitCount (1..32) bits of *value, most significant first.
  void Bits(int32_t bitCount, uint32_t* value);
  // Packed encoding: one bit for zero / non-zero, then the index of the first
  // width that holds the value as two's complement, then that many low bits.
  void PackedInt(int32_t* value, const PackedWidths& widths);

  int32_t Mode() const { return fMode; }
  int32_t Size() const { return fSize; }
  // Bytes consumed so far (in kSizing: bytes counted).
  int32_t Position() const { return fPosition; }
  // Payload bytes not yet consumed; 0 in kSizing. A reader bounds element
  // counts it reads by this before allocating for them.
  int32_t Remaining() const;
  bool Swapped() const { return fSwap; }
  bool Packed() const { return fPacked; }
  void SetPacked(bool packed) { fPacked = packed; }
  // Packed encoding: the next free bit of the current byte, 0 when the next
  // bit starts a new byte.
  int32_t BitMask() const { return fBitMask; }
  // True once any field did not fit.
  bool Overflowed() const { return fOverflowed; }

 private:
  bool CheckMode(int32_t line);
  // True when `count` more bytes fit; otherwise reports and exhausts.
  bool Fits(int64_t count, int32_t line, const char* condition);
  void Exhaust();
  void Advance(int64_t count);
  // Past a string's terminator, onto an even position.
  void AdvancePadded(int64_t count);
  void CopyElements(void* elements, int32_t count, int32_t width);
  // Bits, reporting whether the field was moved (false: the value is left).
  bool MoveBits(int32_t bitCount, uint32_t* value);
  bool TakeBit();
  void PutBit(bool bit);

  uint8_t* fData;
  int32_t fSize;
  int32_t fPosition = 0;
  int32_t fMode;
  bool fSwap;
  bool fPacked = false;
  int32_t fBitMask = 0;
  bool fOverflowed = false;
};

// The record encoded as a new handle holding Header + payload (flag 0,
// this machine's order); null when no memory.
MHandle ReconToHandle(ReconObject& object, int32_t version);
// Fills the record from a handle made by ReconToHandle (or read from a file and
// swizzled). A type that differs from the record's is reported and decoded all
// the same; a handle too short for the Header is reported and left alone.
void ReconFromHandle(ReconObject& object, MHandle handle, int32_t* version = nullptr);
// Stores the record as resource (GetType, id) of the file, unnamed and marked
// swizzled. 0, kResErrFailed when no handle could be made, or the file's error.
int32_t WriteReconResource(ReconObject& object, int32_t version, iResFile& file, int16_t id);
// Loads resource (GetType, id) of the file into the record. 0 or the file's
// error.
int32_t ReadReconResource(ReconObject& object, iResFile& file, int16_t id, int32_t* version = nullptr);
// The swizzle callback for reconstituted resources stored in the other byte
// order: sets the flag and turns version and type round. Shorter data than a
// Header is left alone.
void ReconSwizzle(void* data, int32_t size);
