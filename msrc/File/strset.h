#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "msrc/File/ResType.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"

// A numbered list of strings (numbers count from 1), kept for each of 20
// languages, with an optional comment per string. It is read from and saved
// to one resource of a resource file: a 'STR#' string list or a caret text
// resource. A language argument of -1 means the set's current language, which
// Load takes from the process-wide language code (1, English, unless a test
// changes it) minus 1.
//
// Every entry also records the language its text really is in: the entry's
// own language when the text was set for it, 0 when it is a copy of the
// English string, -1 for an entry just made.
class StringSet {
 public:
  static constexpr int32_t kLanguageEnglish = 0;
  static constexpr int32_t kMaxLanguages = 20;
  static constexpr int32_t kCurrentLanguage = -1;
  static constexpr ResType kStringListType = 0x53545223;  // 'STR#'
  // 'CST' in the three low bytes: the caret text resource.
  static constexpr ResType kTextType = 0x00435354;

  StringSet();
  virtual ~StringSet();
  StringSet(const StringSet&) = delete;
  StringSet& operator=(const StringSet&) = delete;

  // Reads the set from the 'STR#' resource with this id or, failing that,
  // from the text resource with this id. Every language but the current one
  // (and English, which a non-English current language is copied to) is read
  // only with `allLanguages`, which also fills each language that has no
  // strings with copies of the English ones. Returns the last attempt's
  // result: 0, -1 when there is no open file (the strings are left as they
  // were), or the file's error when neither resource is there (the set is then
  // empty). Damaged bytes give the strings read before the damage.
  int32_t Load(iResFile* file, int16_t id, bool allLanguages);
  // Merges the current language's strings into the stored 'STR#' resource
  // and writes that back in the language-list layout, marked swizzled;
  // languages that hold only copies of English are dropped. A set read from a
  // text resource is saved as the 'STR#' resource of the same id, merged with
  // the one stored there if any: the text resource is left alone (the next
  // Load finds the 'STR#' resource first). Returns 0, the memory layer's or the
  // file's error, or -1 when the set has no file or is too large for the
  // layout (over 65535 entries or 2 GiB); the stored resource is then as the
  // file left it.
  int32_t Save();

  int32_t Count(int32_t language = kCurrentLanguage) const;
  // Null when the number is outside 1..Count() or the entry has no text.
  const char* GetString(int32_t number, int32_t language = kCurrentLanguage) const;
  const char* GetComment(int32_t number, int32_t language = kCurrentLanguage) const;
  // The language the entry's text is in (see above); -1 outside 1..Count().
  int32_t EntryLanguage(int32_t number, int32_t language = kCurrentLanguage) const;
  // Number 1..Count()+1; Count()+1 appends. Replaces the text with a copy
  // (null: no text) and marks the entry as being in `language`.
  void SetString(int32_t number, const char* text, int32_t language = kCurrentLanguage);
  // The number is clamped into 1..Count()+1; later entries move up by one.
  void InsertString(int32_t number, const char* text, int32_t language = kCurrentLanguage);
  // Number 1..Count(); replaces the comment with a copy (null removes it).
  void SetComment(int32_t number, const char* comment, int32_t language = kCurrentLanguage);
  void Clear();
  void ClearLanguage(int32_t language);

  iResFile* ResFile() const { return fResFile; }
  const StringBuffer& Name() const { return fName; }
  int16_t Id() const { return fId; }
  ResType Type() const { return fType; }
  bool TextMode() const { return fTextMode != 0; }
  int32_t Language() const { return fLanguage; }

  // The swizzle callback of 'STR#' resources: swaps the bytes of the first
  // 16-bit field and, when that then reads -1, of the second.
  static void SwizzleStringList(void* data, int32_t size);

  // The process-wide language code, 1 (English) to 20. The system never
  // changes it; tests do, to read sets in another language.
  static uint8_t LanguageCode() { return sLanguageCode; }
  static void SetLanguageCode(uint8_t code);

 private:
  struct Entry {
    std::optional<std::string> fString;
    std::optional<std::string> fComment;
    int8_t fLanguage = -1;
  };

  // Resolves -1 to the current language; a language outside 0..19 is reported
  // ("Illegal language specified.") and false.
  bool UseLanguage(int32_t language, int32_t* useLang) const;
  const Entry* Find(int32_t number, int32_t language) const;

  // One reading attempt with the set's type, text mode and language.
  int32_t ReadResource(bool allLanguages);
  void ReadText(const uint8_t* bytes, size_t size);
  void ReadList(const uint8_t* bytes, size_t size, bool allLanguages);
  void ReadLanguageList(const uint8_t* bytes, size_t size, bool allLanguages);
  // Adds a string read for the current language at `number`, and for English
  // too when the current language is another one.
  void AddRead(int32_t number, const std::string& text, const std::string* comment);
  // Builds the language-list image of every entry; null with `error` set
  // when it cannot.
  MHandle BuildImage(int32_t* error) const;

  iResFile* fResFile = nullptr;
  FixedStringBuffer<64> fName;
  int16_t fId = 0;
  ResType fType = 0;
  uint8_t fTextMode = 0;
  int8_t fLanguage = kLanguageEnglish;
  std::array<std::vector<Entry>, kMaxLanguages> fLanguages;

  static uint8_t sLanguageCode;
};
