#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "filesystem/CTGLengthError.h"
#include "filesystem/CTGOutOfRange.h"

// The growable 8-bit value string of the file-system layer, for paths and
// names. Range errors are programming errors and throw:
// - CTGLengthError for a negative length or count (constructor length,
//   Left, Right, Mid count);
// - CTGOutOfRange for a negative position or start (Mid, Find) and for an
//   index outside 0..Length()-1 (operator[], At).
// Comparison is by plain unsigned bytes, a prefix sorting first, so it can key
// ordered maps.
class CTGString {
 public:
  CTGString() = default;
  // Null text gives the empty string.
  CTGString(const char* text);
  // Takes exactly length bytes of text, zero bytes included.
  CTGString(const char* text, int32_t length);
  CTGString(const CTGString&) = default;
  CTGString(CTGString&&) = default;
  CTGString& operator=(const CTGString&) = default;
  CTGString& operator=(CTGString&&) = default;
  virtual ~CTGString();

  // Only the space character is trimmed.
  virtual void TrimLeft();
  virtual void TrimRight();
  virtual void Trim();

  // printf-style, with no limit on the result's length.
  static CTGString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

  int32_t Length() const { return static_cast<int32_t>(fText.size()); }
  bool IsEmpty() const { return fText.empty(); }
  const char* Text() const { return fText.c_str(); }

  char At(int32_t index) const;
  char operator[](int32_t index) const { return At(index); }

  // The whole string when it is shorter than n.
  CTGString Left(int32_t n) const;
  CTGString Right(int32_t n) const;
  // The count is clipped to the end; a position at or past the end gives the
  // empty string.
  CTGString Mid(int32_t position, int32_t count) const;
  CTGString Mid(int32_t position) const;

  // Index of the first c at or after start, or of the last c; -1 if none.
  int32_t Find(char c, int32_t start = 0) const;
  int32_t ReverseFind(char c) const;

  // ASCII letters only; other bytes are left alone.
  void MakeUpper();
  void MakeLower();
  void Replace(char from, char to);

  void Append(const CTGString& other) { fText += other.fText; }
  void Append(char c) { fText += c; }
  CTGString& operator+=(const CTGString& other) {
    Append(other);
    return *this;
  }

  friend CTGString operator+(const CTGString& a, const CTGString& b) {
    CTGString sum(a);
    sum.Append(b);
    return sum;
  }
  friend bool operator==(const CTGString& a, const CTGString& b) { return a.fText == b.fText; }
  friend std::strong_ordering operator<=>(const CTGString& a, const CTGString& b) { return a.fText <=> b.fText; }

 private:
  std::string fText;
};
