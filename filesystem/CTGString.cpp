#include "filesystem/CTGString.h"

#include <cstdarg>
#include <cstdio>

CTGString::CTGString(const char* text) {
  if (text != nullptr) {
    fText = text;
  }
}

CTGString::CTGString(const char* text, int32_t length) {
  if (length < 0) {
    throw CTGLengthError();
  }
  if (text != nullptr) {
    fText.assign(text, static_cast<size_t>(length));
  }
}

CTGString::~CTGString() = default;

void CTGString::TrimLeft() {
  fText.erase(0, fText.find_first_not_of(' '));
}

void CTGString::TrimRight() {
  // npos + 1 is 0, which empties an all-space string.
  fText.erase(fText.find_last_not_of(' ') + 1);
}

void CTGString::Trim() {
  TrimLeft();
  TrimRight();
}

CTGString CTGString::Format(const char* format, ...) {
  CTGString result;
  if (format == nullptr) {
    return result;
  }
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed > 0) {
    result.fText.resize(static_cast<size_t>(needed));
    // std::string keeps room for the terminator behind size().
    std::vsnprintf(result.fText.data(), static_cast<size_t>(needed) + 1, format, args);
  }
  va_end(args);
  return result;
}

char CTGString::At(int32_t index) const {
  if (index < 0 || index >= Length()) {
    throw CTGOutOfRange();
  }
  return fText[static_cast<size_t>(index)];
}

CTGString CTGString::Left(int32_t n) const {
  if (n < 0) {
    throw CTGLengthError();
  }
  return CTGString(fText.data(), n < Length() ? n : Length());
}

CTGString CTGString::Right(int32_t n) const {
  if (n < 0) {
    throw CTGLengthError();
  }
  const int32_t count = n < Length() ? n : Length();
  return CTGString(fText.data() + (Length() - count), count);
}

CTGString CTGString::Mid(int32_t position, int32_t count) const {
  if (position < 0) {
    throw CTGOutOfRange();
  }
  if (count < 0) {
    throw CTGLengthError();
  }
  if (position >= Length()) {
    return CTGString();
  }
  const int32_t available = Length() - position;
  return CTGString(fText.data() + position, count < available ? count : available);
}

CTGString CTGString::Mid(int32_t position) const {
  if (position < 0) {
    throw CTGOutOfRange();
  }
  return Mid(position, position < Length() ? Length() - position : 0);
}

int32_t CTGString::Find(char c, int32_t start) const {
  if (start < 0) {
    throw CTGOutOfRange();
  }
  const size_t at = fText.find(c, static_cast<size_t>(start));
  return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

int32_t CTGString::ReverseFind(char c) const {
  const size_t at = fText.rfind(c);
  return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

void CTGString::MakeUpper() {
  for (char& c : fText) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - ('a' - 'A'));
    }
  }
}

void CTGString::MakeLower() {
  for (char& c : fText) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + ('a' - 'A'));
    }
  }
}

void CTGString::Replace(char from, char to) {
  for (char& c : fText) {
    if (c == from) {
      c = to;
    }
  }
}
