#include "msrc/Util/StringBuffer.h"

#include <cstring>
#include <functional>

#include "msrc/Util/XAssert.h"

namespace {

constexpr const char* kSourcePath = "msrc/Util/StringBuffer";

// Number of characters a source offers: a negative count means up to its
// terminator; otherwise up to count, stopping early at a zero byte.
int32_t SourceLength(const char* src, int32_t count) {
  if (count < 0) {
    return static_cast<int32_t>(std::strlen(src));
  }
  int32_t n = 0;
  while (n < count && src[n] != '\0') {
    ++n;
  }
  return n;
}

// Only 'A'..'Z' fold; the result is compared as a signed byte.
int FoldedSigned(char c) {
  if (c >= 'A' && c <= 'Z') {
    c = static_cast<char>(c + ('a' - 'A'));
  }
  return static_cast<signed char>(c);
}

}  // namespace

StringBuffer::StringBuffer(char* storage, int32_t capacity) : fStorage(storage), fCapacity(capacity) {
  if (fCapacity <= 0) {
    XASSERT(kSourcePath, 17, "fCapacity>0", "bad capacity");
    fCapacity = 0;
  }
  if (fStorage == nullptr) {
    fCapacity = 0;
  }
  Clear();
}

int32_t StringBuffer::Length() const {
  return fCapacity > 0 ? static_cast<int32_t>(std::strlen(fStorage)) : 0;
}

const char* StringBuffer::Text() const {
  return fCapacity > 0 ? fStorage : "";
}

void StringBuffer::Clear() {
  if (fCapacity > 0) {
    fStorage[0] = '\0';
  }
}

void StringBuffer::Append(const char* src, int32_t count) {
  if (src == nullptr) {
    return;
  }
  int32_t n = SourceLength(src, count);
  const int32_t myLen = Length();
  const int32_t room = fCapacity > 0 ? fCapacity - myLen - 1 : 0;
  if (n > room) {
    XASSERT(kSourcePath, 56, "false", "append losing characters");
    n = room;
  }
  if (fCapacity <= 0) {
    return;
  }
  if (myLen + n >= fCapacity) {
    XASSERT(kSourcePath, 62, "myLen+i<fCapacity", "logic error. overwriting buffer");
    n = fCapacity - myLen - 1;
  }
  // The source may lie inside this buffer's own text (appending to itself).
  std::memmove(fStorage + myLen, src, static_cast<size_t>(n));
  fStorage[myLen + n] = '\0';
}

void StringBuffer::Append(const StringBuffer& other, int32_t count) {
  Append(other.Text(), count);
}

void StringBuffer::AppendChar(char c) {
  if (c != '\0') {
    Append(&c, 1);
  }
}

void StringBuffer::AppendNumber(int32_t n) {
  // Widened so that the magnitude of INT32_MIN is representable.
  int64_t value = n;
  const bool negative = value < 0;
  if (negative) {
    value = -value;
  }
  char digits[12];
  int pos = sizeof(digits);
  digits[--pos] = '\0';
  do {
    digits[--pos] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  if (negative) {
    digits[--pos] = '-';
  }
  Append(digits + pos);
}

void StringBuffer::Assign(const char* src) {
  // A source inside this buffer's own storage would be wiped by clearing
  // first; move it to the front instead.
  const std::less<const char*> before;
  if (src != nullptr && fCapacity > 0 && !before(src, fStorage) && before(src, fStorage + fCapacity)) {
    std::memmove(fStorage, src, std::strlen(src) + 1);
    return;
  }
  Clear();
  Append(src);
}

void StringBuffer::Assign(const StringBuffer& other) {
  Assign(other.Text());
}

int StringBuffer::Compare(const StringBuffer& other) const {
  return std::strcmp(Text(), other.Text());
}

int StringBuffer::CompareNoCase(const StringBuffer& other) const {
  return CompareNoCase(other.Text(), other.Length());
}

int StringBuffer::CompareNoCase(const char* chars, int32_t count) const {
  if (chars == nullptr) {
    count = 0;
  } else if (count < 0) {
    count = static_cast<int32_t>(std::strlen(chars));
  }
  const char* mine = Text();
  const int32_t myLen = Length();
  const int32_t n = myLen < count ? myLen : count;
  for (int32_t i = 0; i < n; ++i) {
    const int a = FoldedSigned(mine[i]);
    const int b = FoldedSigned(chars[i]);
    if (a != b) {
      return a - b;
    }
  }
  return myLen - count;
}

char StringBuffer::At(int32_t position) const {
  if (position < 0 || position >= Length()) {
    XASSERT(kSourcePath, 124, "false", "accessing string past length");
    return '\0';
  }
  return fStorage[position];
}
