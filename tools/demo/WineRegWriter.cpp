#include "tools/demo/WineRegWriter.h"

#include <cstdio>

namespace tools {

namespace {

constexpr std::size_t kHexLineLimit = 76;

// Decodes UTF-8 into UTF-16 code units; malformed or overlong sequences and
// encoded surrogates become U+FFFD.
std::u16string ToUtf16(std::string_view text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      code = lead & 0x1F;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      code = lead & 0x0F;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      code = lead & 0x07;
      minimum = 0x10000;
    } else {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    std::size_t used = 1;
    bool valid = true;
    for (; used <= extra; ++used) {
      if (i + used >= text.size() || (static_cast<unsigned char>(text[i + used]) & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      code = (code << 6) | (static_cast<unsigned char>(text[i + used]) & 0x3F);
    }
    i += used;
    if (!valid || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out.push_back(u'\uFFFD');
    } else if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsOctalDigit(char16_t c) { return c >= u'0' && c <= u'7'; }

std::string Format(const char* format, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string WineRegWriter::Escape(std::string_view text, char delimiter) {
  const std::u16string units = ToUtf16(text);
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    const bool hasNext = i + 1 < units.size();
    const char16_t next = hasNext ? units[i + 1] : u'\0';
    if (unit > 127) {
      out += Format(hasNext && IsHexDigit(next) ? "\\x%04x" : "\\x%x", unit);
    } else if (unit < 32) {
      switch (unit) {
        case u'\a': out += "\\a"; break;
        case u'\b': out += "\\b"; break;
        case u'\t': out += "\\t"; break;
        case u'\n': out += "\\n"; break;
        case u'\v': out += "\\v"; break;
        case u'\f': out += "\\f"; break;
        case u'\r': out += "\\r"; break;
        default:
          out += Format(hasNext && IsOctalDigit(next) ? "\\%03o" : "\\%o", unit);
          break;
      }
    } else {
      const char c = static_cast<char>(unit);
      if (c == '\\' || c == delimiter) out += '\\';
      out += c;
    }
  }
  return out;
}

WineRegWriter::WineRegWriter(const std::vector<std::string>& comments) {
  fText = "WINE REGISTRY Version 2\n";
  fText += ";; All keys relative to REGISTRY\\\\Machine\n";
  fText += "#arch=win64\n";
  for (const std::string& comment : comments) fText += ";; " + comment + "\n";
}

void WineRegWriter::BeginKey(std::string_view path) {
  fText += "\n[" + Escape(path, ']') + "] " + std::to_string(kKeySeconds) + "\n";
  char time[32];
  std::snprintf(time, sizeof time, "#time=%llx\n", static_cast<unsigned long long>(kKeyFileTime));
  fText += time;
}

std::size_t WineRegWriter::ValueName(std::string_view name) {
  const std::string written = name.empty() ? "@=" : "\"" + Escape(name, '"') + "\"=";
  fText += written;
  return written.size();
}

void WineRegWriter::String(std::string_view name, std::string_view value) {
  ValueName(name);
  fText += "\"" + Escape(value, '"') + "\"\n";
}

void WineRegWriter::ExpandString(std::string_view name, std::string_view value) {
  ValueName(name);
  fText += "str(2):\"" + Escape(value, '"') + "\"\n";
}

void WineRegWriter::Dword(std::string_view name, std::uint32_t value) {
  ValueName(name);
  fText += Format("dword:%08x\n", value);
}

void WineRegWriter::Binary(std::string_view name, const std::vector<std::uint8_t>& bytes) {
  std::size_t column = ValueName(name);
  fText += "hex:";
  column += 4;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    fText += Format("%02x", bytes[i]);
    column += 2;
    if (i + 1 < bytes.size()) {
      fText += ',';
      if (++column > kHexLineLimit) {
        fText += "\\\n  ";
        column = 2;
      }
    }
  }
  fText += '\n';
}

}  // namespace tools
