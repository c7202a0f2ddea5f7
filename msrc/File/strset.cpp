// String-list resources ('STR#'). The first 16-bit field picks the layout:
//
//   n >= 0  counted list:   n strings, each a length byte L and L characters
//   -1      plain list:     count n, then n NUL-terminated strings
//   -2      commented list: count n, then n entries: string NUL, comment NUL
//   -3      language list:  count n, then n entries: language code (1..20),
//                           string NUL, comment NUL
//
// The loader reads every 16-bit field little-endian from the bytes as they
// stand after the swizzle callback. A resource stored unswizzled therefore
// holds its first field big-endian, and in the plain list its count too; the
// counts of the commented and language lists are read as stored. Save writes
// the language list, every field little-endian, marked swizzled. The count
// after the first field is unsigned.
//
// Text resources (kTextType): any bytes; each string stands between two
// carets ('^'), text outside a pair is ignored.
#include "msrc/File/strset.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

#include "msrc/Util/XAssert.h"
#include "msrc/Util/rmemwrap.h"

namespace {

constexpr const char* kSourcePath = "msrc/File/strset";
constexpr int16_t kPlainList = -1;
constexpr int16_t kCommentedList = -2;
constexpr int16_t kLanguageList = -3;
constexpr char kCaret = '^';

// Reads fields off untrusted bytes; every read fails rather than pass the end.
class ByteReader {
 public:
  ByteReader(const uint8_t* bytes, size_t size) : fBytes(bytes), fSize(size) {}

  bool Byte(uint8_t* value) {
    if (fPosition >= fSize) return false;
    *value = fBytes[fPosition++];
    return true;
  }
  bool Field16(uint16_t* value) {
    if (fSize - fPosition < 2) return false;
    *value = static_cast<uint16_t>(fBytes[fPosition] | (fBytes[fPosition + 1] << 8));
    fPosition += 2;
    return true;
  }
  // A NUL-terminated string; false (nothing taken) when the terminator is
  // missing.
  bool Terminated(std::string* text) {
    const auto* start = fBytes + fPosition;
    const auto* end = static_cast<const uint8_t*>(std::memchr(start, 0, fSize - fPosition));
    if (end == nullptr) return false;
    text->assign(reinterpret_cast<const char*>(start), static_cast<size_t>(end - start));
    fPosition += static_cast<size_t>(end - start) + 1;
    return true;
  }
  // A length byte and that many characters.
  bool Counted(std::string* text) {
    uint8_t length = 0;
    if (!Byte(&length) || fSize - fPosition < length) return false;
    text->assign(reinterpret_cast<const char*>(fBytes + fPosition), length);
    fPosition += length;
    return true;
  }

 private:
  const uint8_t* fBytes;
  size_t fSize;
  size_t fPosition = 0;
};

// One entry of the language list.
struct ListEntry {
  uint8_t code = 0;
  std::string text;
  std::string comment;
};

bool ReadListEntry(ByteReader* reader, ListEntry* entry) {
  return reader->Byte(&entry->code) && reader->Terminated(&entry->text) && reader->Terminated(&entry->comment);
}

// Strings are kept as C strings: a stored string ends at its first NUL.
std::string UpToNul(const std::string& text) { return std::string(text.c_str()); }

void PutField16(uint8_t** out, uint16_t value) {
  (*out)[0] = static_cast<uint8_t>(value & 0xFF);
  (*out)[1] = static_cast<uint8_t>(value >> 8);
  *out += 2;
}

void PutTerminated(uint8_t** out, const std::optional<std::string>& text) {
  const size_t length = text ? std::strlen(text->c_str()) : 0;
  if (length > 0) std::memcpy(*out, text->c_str(), length);
  (*out)[length] = 0;
  *out += length + 1;
}

}  // namespace

uint8_t StringSet::sLanguageCode = 1;

StringSet::StringSet() = default;

StringSet::~StringSet() = default;

void StringSet::SetLanguageCode(uint8_t code) {
  if (code < 1 || code > kMaxLanguages) {
    XASSERT(kSourcePath, __LINE__, "useLang < kMaxLanguages", "Illegal language specified.");
    return;
  }
  sLanguageCode = code;
}

void StringSet::SwizzleStringList(void* data, int32_t size) {
  if (data == nullptr || size < 2) return;
  auto* bytes = static_cast<uint8_t*>(data);
  std::swap(bytes[0], bytes[1]);
  if (bytes[0] == 0xFF && bytes[1] == 0xFF && size >= 4) std::swap(bytes[2], bytes[3]);
}

// ---- Strings ---------------------------------------------------------------

bool StringSet::UseLanguage(int32_t language, int32_t* useLang) const {
  *useLang = language == kCurrentLanguage ? fLanguage : language;
  if (*useLang >= 0 && *useLang < kMaxLanguages) return true;
  XASSERT(kSourcePath, __LINE__, "useLang < kMaxLanguages", "Illegal language specified.");
  return false;
}

const StringSet::Entry* StringSet::Find(int32_t number, int32_t language) const {
  int32_t useLang = 0;
  if (!UseLanguage(language, &useLang)) return nullptr;
  const std::vector<Entry>& list = fLanguages[static_cast<size_t>(useLang)];
  if (number < 1 || static_cast<size_t>(number) > list.size()) return nullptr;
  return &list[static_cast<size_t>(number - 1)];
}

int32_t StringSet::Count(int32_t language) const {
  const int32_t useLang = language == kCurrentLanguage ? fLanguage : language;
  if (useLang < 0 || useLang >= kMaxLanguages) return 0;
  return static_cast<int32_t>(fLanguages[static_cast<size_t>(useLang)].size());
}

const char* StringSet::GetString(int32_t number, int32_t language) const {
  const Entry* entry = Find(number, language);
  return entry != nullptr && entry->fString ? entry->fString->c_str() : nullptr;
}

const char* StringSet::GetComment(int32_t number, int32_t language) const {
  const Entry* entry = Find(number, language);
  return entry != nullptr && entry->fComment ? entry->fComment->c_str() : nullptr;
}

int32_t StringSet::EntryLanguage(int32_t number, int32_t language) const {
  const Entry* entry = Find(number, language);
  return entry != nullptr ? entry->fLanguage : -1;
}

void StringSet::SetString(int32_t number, const char* text, int32_t language) {
  int32_t useLang = 0;
  if (!UseLanguage(language, &useLang)) return;
  std::vector<Entry>& list = fLanguages[static_cast<size_t>(useLang)];
  if (number < 1 || static_cast<size_t>(number) > list.size() + 1) {
    XASSERT(kSourcePath, __LINE__, "false", "bad index");
    return;
  }
  // Copied first: the text may be one of this set's own strings.
  std::optional<std::string> copy;
  if (text != nullptr) copy.emplace(text);
  if (static_cast<size_t>(number) == list.size() + 1) list.emplace_back();
  Entry& entry = list[static_cast<size_t>(number - 1)];
  entry.fString = std::move(copy);
  entry.fLanguage = static_cast<int8_t>(useLang);
}

void StringSet::InsertString(int32_t number, const char* text, int32_t language) {
  int32_t useLang = 0;
  if (!UseLanguage(language, &useLang)) return;
  std::vector<Entry>& list = fLanguages[static_cast<size_t>(useLang)];
  const int32_t last = static_cast<int32_t>(list.size()) + 1;
  const int32_t at = std::clamp(number, 1, last);
  std::optional<std::string> copy;
  if (text != nullptr) copy.emplace(text);
  Entry entry;
  entry.fString = std::move(copy);
  entry.fLanguage = static_cast<int8_t>(useLang);
  list.insert(list.begin() + (at - 1), std::move(entry));
}

void StringSet::SetComment(int32_t number, const char* comment, int32_t language) {
  int32_t useLang = 0;
  if (!UseLanguage(language, &useLang)) return;
  std::vector<Entry>& list = fLanguages[static_cast<size_t>(useLang)];
  if (number < 1 || static_cast<size_t>(number) > list.size()) {
    if (!list.empty()) XASSERT(kSourcePath, __LINE__, "Count(useLang) == 0", "bad index");
    return;
  }
  Entry& entry = list[static_cast<size_t>(number - 1)];
  if (comment == nullptr) {
    entry.fComment.reset();
  } else {
    entry.fComment.emplace(comment);
  }
}

void StringSet::Clear() {
  for (std::vector<Entry>& list : fLanguages) list.clear();
}

void StringSet::ClearLanguage(int32_t language) {
  const int32_t useLang = language == kCurrentLanguage ? fLanguage : language;
  if (useLang < 0 || useLang >= kMaxLanguages) return;
  fLanguages[static_cast<size_t>(useLang)].clear();
}

// ---- Load ------------------------------------------------------------------

int32_t StringSet::Load(iResFile* file, int16_t id, bool allLanguages) {
  fResFile = file;
  fId = id;
  fLanguage = static_cast<int8_t>(sLanguageCode - 1);
  fType = kStringListType;
  fTextMode = 0;
  const int32_t listed = ReadResource(allLanguages);
  if (listed == kResErrNone) return listed;
  fType = kTextType;
  fTextMode = 1;
  return ReadResource(allLanguages);
}

int32_t StringSet::ReadResource(bool allLanguages) {
  if (fResFile == nullptr || !fResFile->ValidFile()) return kResErrFailed;
  fName.Clear();
  Clear();
  MHandle handle = fResFile->GetResource(fType, fId, fTextMode != 0 ? nullptr : &SwizzleStringList);
  if (handle == nullptr) return fResFile->Error();
  fResFile->GetResName(handle, &fName);

  const int32_t size = GetMHandleSize(handle);
  if (size > 0) {
    const auto* bytes = static_cast<const uint8_t*>(LockMHandle(handle));
    if (bytes == nullptr) {
      XASSERT(kSourcePath, __LINE__, "strPtr", "could not lock string handle");
      const int32_t error = MHandleError();
      fResFile->ReleaseResource(handle);
      return error != 0 ? error : kMHandleErrBad;
    }
    if (fTextMode != 0) {
      ReadText(bytes, static_cast<size_t>(size));
    } else {
      ReadList(bytes, static_cast<size_t>(size), allLanguages);
    }
    UnlockMHandle(handle);
  }
  fResFile->ReleaseResource(handle);

  if (allLanguages) {
    std::vector<Entry>& english = fLanguages[kLanguageEnglish];
    for (int32_t language = 1; language < kMaxLanguages; ++language) {
      std::vector<Entry>& list = fLanguages[static_cast<size_t>(language)];
      if (!list.empty()) continue;
      for (int32_t number = 1; number <= static_cast<int32_t>(english.size()); ++number) {
        const Entry& source = english[static_cast<size_t>(number - 1)];
        SetString(number, source.fString ? source.fString->c_str() : nullptr, language);
        list[static_cast<size_t>(number - 1)].fLanguage = kLanguageEnglish;
      }
    }
  }
  return kResErrNone;
}

void StringSet::AddRead(int32_t number, const std::string& text, const std::string* comment) {
  // A stored comment is kept as stored, an empty one included: the layouts
  // cannot tell an empty comment from a missing one, and Save copies an empty
  // English comment onto the other languages like any other.
  const char* note = comment != nullptr ? comment->c_str() : nullptr;
  InsertString(number, text.c_str(), fLanguage);
  if (note != nullptr) SetComment(number, note, fLanguage);
  if (fLanguage == kLanguageEnglish) return;
  InsertString(number, text.c_str(), kLanguageEnglish);
  if (note != nullptr) SetComment(number, note, kLanguageEnglish);
}

void StringSet::ReadText(const uint8_t* bytes, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  size_t open = text.find(kCaret);
  while (open != std::string_view::npos) {
    const size_t close = text.find(kCaret, open + 1);
    if (close == std::string_view::npos) break;
    const std::string piece = UpToNul(std::string(text.substr(open + 1, close - open - 1)));
    const int32_t number = Count(kLanguageEnglish) + 1;
    InsertString(number, piece.c_str(), fLanguage);
    if (fLanguage != kLanguageEnglish) InsertString(number, piece.c_str(), kLanguageEnglish);
    open = text.find(kCaret, close + 1);
  }
}

void StringSet::ReadList(const uint8_t* bytes, size_t size, bool allLanguages) {
  ByteReader reader(bytes, size);
  uint16_t field = 0;
  if (!reader.Field16(&field)) return;
  const auto layout = static_cast<int16_t>(field);
  if (layout >= 0) {
    std::string text;
    for (int32_t number = 1; number <= layout && reader.Counted(&text); ++number) {
      for (char& c : text) {
        if (static_cast<uint8_t>(c) == 0xA1) c = 'o';
        if (static_cast<uint8_t>(c) == 0xD5) c = '\'';
      }
      AddRead(number, UpToNul(text), nullptr);
    }
    return;
  }
  if (layout == kLanguageList) {
    ReadLanguageList(bytes, size, allLanguages);
    return;
  }
  if (layout != kPlainList && layout != kCommentedList) return;
  uint16_t count = 0;
  if (!reader.Field16(&count)) return;
  std::string text;
  std::string comment;
  for (int32_t number = 1; number <= count; ++number) {
    if (!reader.Terminated(&text)) return;
    if (layout == kCommentedList) {
      if (!reader.Terminated(&comment)) return;
      AddRead(number, text, &comment);
    } else {
      AddRead(number, text, nullptr);
    }
  }
}

void StringSet::ReadLanguageList(const uint8_t* bytes, size_t size, bool allLanguages) {
  ByteReader reader(bytes, size);
  uint16_t field = 0;
  uint16_t count = 0;
  if (!reader.Field16(&field) || !reader.Field16(&count)) return;
  const ByteReader entries = reader;

  ListEntry entry;
  int32_t number = 1;
  int32_t previous = -1;
  for (int32_t index = 0; index < count && ReadListEntry(&reader, &entry); ++index) {
    if (entry.code != previous) number = 1;
    previous = entry.code;
    const int32_t nLanguage = entry.code - 1;
    if (!(nLanguage >= kLanguageEnglish && nLanguage < kMaxLanguages)) {
      XASSERT(kSourcePath, __LINE__, "nLanguage >= kLanguageEnglish && nLanguage < kMaxLanguages",
              "Illegal Language Specifier");
      continue;
    }
    if (nLanguage != fLanguage && !allLanguages) continue;
    InsertString(number, entry.text.c_str(), nLanguage);
    SetComment(number, entry.comment.c_str(), nLanguage);
    ++number;
  }

  if (Count(fLanguage) != 0 || count == 0) return;
  // Nothing in the current language: it gets the English entries.
  reader = entries;
  number = 1;
  for (int32_t index = 0; index < count && ReadListEntry(&reader, &entry); ++index) {
    if (entry.code != kLanguageEnglish + 1) continue;
    SetString(number, entry.text.c_str(), fLanguage);
    SetComment(number, entry.comment.c_str(), fLanguage);
    ++number;
  }
}

// ---- Save ------------------------------------------------------------------

MHandle StringSet::BuildImage(int32_t* error) const {
  int64_t size = 4;
  int64_t total = 0;
  for (const std::vector<Entry>& list : fLanguages) {
    for (const Entry& entry : list) {
      size += 3;
      if (entry.fString) size += static_cast<int64_t>(std::strlen(entry.fString->c_str()));
      if (entry.fComment) size += static_cast<int64_t>(std::strlen(entry.fComment->c_str()));
      ++total;
    }
  }
  if (total > std::numeric_limits<uint16_t>::max() || size > std::numeric_limits<int32_t>::max()) {
    *error = kResErrFailed;
    return nullptr;
  }
  MHandle handle = NewMHandle(static_cast<int32_t>(size));
  if (handle == nullptr) {
    *error = MHandleError();
    return nullptr;
  }
  auto* out = static_cast<uint8_t*>(LockMHandle(handle));
  PutField16(&out, static_cast<uint16_t>(kLanguageList));
  PutField16(&out, static_cast<uint16_t>(total));
  for (int32_t language = 0; language < kMaxLanguages; ++language) {
    for (const Entry& entry : fLanguages[static_cast<size_t>(language)]) {
      *out++ = static_cast<uint8_t>(language + 1);
      PutTerminated(&out, entry.fString);
      PutTerminated(&out, entry.fComment);
    }
  }
  UnlockMHandle(handle);
  *error = kResErrNone;
  return handle;
}

int32_t StringSet::Save() {
  if (fResFile == nullptr) return kResErrFailed;
  const int32_t current = fLanguage < 0 ? sLanguageCode - 1 : fLanguage;

  StringSet stored;
  stored.fResFile = fResFile;
  stored.fId = fId;
  // Text is no string list: a set read from text merges with the 'STR#'
  // resource it is about to become.
  stored.fType = fTextMode != 0 || fType == kTextType ? kStringListType : fType;
  stored.fTextMode = 0;
  stored.fLanguage = static_cast<int8_t>(current);
  stored.ReadResource(true);

  const int32_t count = Count(current);
  for (int32_t i = 1; i <= count; ++i) {
    stored.SetString(i, GetString(i, current), current);
    if (const char* comment = GetComment(i, current)) stored.SetComment(i, comment, current);
  }
  for (int32_t i = 1; i <= count; ++i) {
    const char* comment = stored.GetComment(i, kLanguageEnglish);
    if (comment == nullptr) continue;
    for (int32_t language = 1; language < kMaxLanguages; ++language) {
      if (stored.GetString(i, language) != nullptr) stored.SetComment(i, comment, language);
    }
  }
  std::vector<Entry>& english = stored.fLanguages[kLanguageEnglish];
  const auto englishCount = static_cast<int32_t>(english.size());
  for (int32_t language = 1; language < kMaxLanguages; ++language) {
    std::vector<Entry>& list = stored.fLanguages[static_cast<size_t>(language)];
    for (int32_t i = static_cast<int32_t>(list.size()) + 1; i <= englishCount; ++i) {
      const Entry& source = english[static_cast<size_t>(i - 1)];
      stored.SetString(i, source.fString ? source.fString->c_str() : nullptr, language);
      Entry& copy = list[static_cast<size_t>(i - 1)];
      copy.fLanguage = kLanguageEnglish;
      copy.fComment = source.fComment;
    }
  }
  for (int32_t language = 1; language < kMaxLanguages; ++language) {
    const std::vector<Entry>& list = stored.fLanguages[static_cast<size_t>(language)];
    const auto own = [](const Entry& entry) { return entry.fLanguage != kLanguageEnglish; };
    if (std::none_of(list.begin(), list.end(), own)) stored.ClearLanguage(language);
  }

  int32_t error = kResErrNone;
  MHandle image = stored.BuildImage(&error);
  if (image == nullptr) return error;

  if (fType == 0 || fType == kTextType) {
    fType = kStringListType;
    fTextMode = 0;
  }
  fResFile->AddResource(image, fType, fId, fName, true);
  if (fResFile->Error() != kResErrNone) {
    // The file did not take the handle.
    const int32_t refused = fResFile->Error();
    DisposeMHandle(image);
    return refused;
  }
  fResFile->WriteResource(image);
  if (fResFile->Error() == kResErrNone) fResFile->ReleaseResource(image);
  return fResFile->Error();
}
