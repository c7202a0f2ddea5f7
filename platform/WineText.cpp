#include "platform/WineText.h"

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// Collects UTF-16 code units and writes them out as UTF-8, pairing surrogates.
class UnitSink {
 public:
  explicit UnitSink(std::string* out) : fOut(out) {}

  void Unit(char32_t u) {
    if (fPendingHigh != 0) {
      if (IsLowSurrogate(u)) {
        WineText::AppendUtf8(0x10000 + ((fPendingHigh - 0xD800) << 10) + (u - 0xDC00), fOut);
        fPendingHigh = 0;
        return;
      }
      Flush();
    }
    if (IsHighSurrogate(u)) {
      fPendingHigh = u;
    } else {
      WineText::AppendUtf8(u, fOut);  // a lone low surrogate comes out as U+FFFD
    }
  }

  // Anything that is not a code unit ends a pending surrogate pair.
  void Flush() {
    if (fPendingHigh != 0) {
      WineText::AppendUtf8(kReplacement, fOut);
      fPendingHigh = 0;
    }
  }

  void Bytes(std::string_view bytes) {
    Flush();
    fOut->append(bytes);
  }

 private:
  std::string* fOut;
  char32_t fPendingHigh = 0;
};

char32_t SimpleEscape(char e) {
  switch (e) {
    case 'a': return 0x07;
    case 'b': return 0x08;
    case 't': return 0x09;
    case 'n': return 0x0A;
    case 'v': return 0x0B;
    case 'f': return 0x0C;
    case 'r': return 0x0D;
    case 'e': return 0x1B;
    default: return static_cast<unsigned char>(e);
  }
}

char32_t FoldCodePoint(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp < 0x80) return cp;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
  if (cp >= 0x100 && cp <= 0x17F) {
    if (cp == 0x178) return 0xFF;
    bool evenCapitals = (cp <= 0x12F) || (cp >= 0x132 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177);
    bool oddCapitals = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if ((evenCapitals && cp % 2 == 0) || (oddCapitals && cp % 2 == 1)) return cp + 1;
    return cp;
  }
  if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return cp + 32;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 32;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 80;
  return cp;
}

}  // namespace

bool WineText::DecodeUntil(std::string_view text, std::size_t* pos, char terminator, std::string* out) {
  UnitSink sink(out);
  std::size_t i = *pos;
  while (i < text.size()) {
    char c = text[i];
    if (c == terminator) {
      sink.Flush();
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= text.size()) return false;
      char e = text[i + 1];
      if (static_cast<unsigned char>(e) >= 0x80) {
        ++i;  // an escaped raw byte stands for itself: read it as raw text below
        continue;
      }
      i += 2;
      if (e == 'x') {
        char32_t unit = 0;
        int digits = 0;
        for (; digits < 4 && i < text.size() && HexDigitValue(text[i]) >= 0; ++digits, ++i) {
          unit = unit * 16 + static_cast<char32_t>(HexDigitValue(text[i]));
        }
        sink.Unit(digits == 0 ? U'x' : unit);
      } else if (IsOctalDigit(e)) {
        char32_t unit = static_cast<char32_t>(e - '0');
        for (int digits = 1; digits < 3 && i < text.size() && IsOctalDigit(text[i]); ++digits, ++i) {
          unit = unit * 8 + static_cast<char32_t>(text[i] - '0');
        }
        sink.Unit(unit);
      } else {
        sink.Unit(SimpleEscape(e));
      }
      continue;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
      sink.Bytes(text.substr(i, 1));
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t length = DecodeUtf8At(text, i, &cp);
    if (length > 0) {
      sink.Bytes(text.substr(i, length));
      i += length;
    } else {
      sink.Flush();
      AppendUtf8(static_cast<unsigned char>(c), out);  // Latin-1
      ++i;
    }
  }
  return false;
}

void WineText::AppendUtf8(char32_t cp, std::string* out) {
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string WineText::FoldCase(std::string_view utf8) {
  std::string folded;
  folded.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      folded.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : static_cast<char>(c));
      ++i;
      continue;
    }
    char32_t cp = 0;
    std::size_t length = DecodeUtf8At(utf8, i, &cp);
    if (length == 0) {
      folded.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    AppendUtf8(FoldCodePoint(cp), &folded);
    i += length;
  }
  return folded;
}

std::size_t WineText::DecodeUtf8At(std::string_view text, std::size_t pos, char32_t* cp) {
  if (pos >= text.size()) return 0;
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  std::size_t continuation = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    *cp = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    continuation = 1;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuation = 2;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuation = 3;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - pos <= continuation) return 0;
  for (std::size_t k = 1; k <= continuation; ++k) {
    unsigned char next = static_cast<unsigned char>(text[pos + k]);
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return continuation + 1;
}

}  // namespace platform
