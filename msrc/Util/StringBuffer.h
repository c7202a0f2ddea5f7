#pragma once

#include <cstdint>

// A fixed-capacity, zero-terminated 8-bit string over storage that its owner
// provides. It never allocates; an append that does not fit keeps what fits
// and reports the loss through XASSERT, so callers never have to size-check.
//
// A buffer set up with a capacity of 0 or less, or with no storage, has no room
// even for the terminator: it never touches the storage, reads as the empty
// text, and every non-empty append is reported and loses all its characters.
class StringBuffer {
 public:
  StringBuffer(char* storage, int32_t capacity);
  // The storage belongs to the owner; a copy would alias it.
  StringBuffer(const StringBuffer&) = delete;
  StringBuffer& operator=(const StringBuffer&) = delete;

  int32_t Capacity() const { return fCapacity; }
  int32_t Length() const;
  const char* Text() const;
  void Clear();

  // A negative count takes the whole zero-terminated source; a positive count
  // takes up to that many, stopping early at a zero byte. A null source
  // appends nothing.
  void Append(const char* src, int32_t count = -1);
  void Append(const StringBuffer& other, int32_t count = -1);
  // A zero character appends nothing.
  void AppendChar(char c);
  void AppendNumber(int32_t n);
  void Assign(const char* src);
  void Assign(const StringBuffer& other);

  // Byte-wise comparison as unsigned values: negative, zero or positive.
  int Compare(const StringBuffer& other) const;
  // Folds only 'A'..'Z' and compares bytes as signed values, so bytes from 128
  // up sort before every 7-bit character; on a common prefix the shorter text
  // compares lower (the result is the length difference). A negative count
  // means the whole zero-terminated text; null chars count as empty.
  int CompareNoCase(const StringBuffer& other) const;
  int CompareNoCase(const char* chars, int32_t count) const;

  // Outside 0..Length()-1 the access is reported and yields the zero character.
  char At(int32_t position) const;

 protected:
  char* fStorage;
  int32_t fCapacity;
};
