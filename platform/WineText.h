#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Text as it appears in a Wine registry file, turned into UTF-8, and the name
// folding under which registry key paths and value names compare.
class WineText {
 public:
  // Decodes escaped text starting at text[*pos] up to the first unescaped
  // `terminator` and appends it to `out` as UTF-8. On success *pos is just past
  // the terminator. Returns false (with *pos and `out` unspecified) when the
  // terminator never comes or the text ends inside an escape.
  //
  // Escapes: "\\" and "\"" are the characters themselves; \a \b \t \n \v \f \r
  // \e are control characters; "\" with one to three octal digits, and "\x"
  // with one to four hex digits, give one UTF-16 code unit (a surrogate pair
  // written as two "\x" escapes is one character, a lone surrogate U+FFFD); any
  // other escaped character stands for itself. Raw bytes from 0x80 up are kept
  // where they form valid UTF-8 and are otherwise read as Latin-1.
  static bool DecodeUntil(std::string_view text, std::size_t* pos, char terminator, std::string* out);

  // Appends one code point as UTF-8; values that are no character (surrogates,
  // beyond U+10FFFF) become U+FFFD.
  static void AppendUtf8(char32_t codePoint, std::string* out);

  // Folds case so that names differing only in letter case compare equal:
  // ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals become small
  // letters. Bytes that are not valid UTF-8 are copied unchanged.
  static std::string FoldCase(std::string_view utf8);

  // Length of the valid UTF-8 sequence at text[pos] and its code point in *cp;
  // 0 when the bytes there are not valid UTF-8 (overlong forms, surrogates and
  // values beyond U+10FFFF are invalid).
  static std::size_t DecodeUtf8At(std::string_view text, std::size_t pos, char32_t* cp);
};

}  // namespace platform
