// Loads arbitrary bytes as string sets: as the payload of a 'STR#' resource
// (stored unswizzled or swizzled, as the first input byte says) and as a caret
// text resource, with and without all languages, in the current language the
// first byte picks; then reads every string and comment of every language,
// saves the set and reads it back. Nothing may crash, hang, overrun, leak a
// handle or allocate from an unread count, and a saved set must read back
// with the strings it had.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "msrc/File/strset.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"
#include "tests/msrc/File/FakeResFile.h"

namespace {

constexpr int16_t kListId = 1;
constexpr int16_t kTextId = 2;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Touches every byte of every string and comment.
size_t ReadAll(const StringSet& set) {
  size_t total = 0;
  for (int32_t language = 0; language < StringSet::kMaxLanguages; ++language) {
    const int32_t count = set.Count(language);
    Check(count >= 0);
    for (int32_t number = 1; number <= count; ++number) {
      if (const char* text = set.GetString(number, language)) total += std::strlen(text);
      if (const char* comment = set.GetComment(number, language)) total += std::strlen(comment);
    }
    Check(set.GetString(count + 1, language) == nullptr);
  }
  return total;
}

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

// Saves the set and checks that its current language reads back unchanged.
void SaveAndReload(StringSet& set, FakeResFile& file, int16_t id) {
  if (set.Save() != 0) return;
  StringSet again;
  Check(again.Load(&file, id, true) == 0);
  const int32_t count = set.Count();
  Check(again.Count() >= count);
  for (int32_t number = 1; number <= count; ++number)
    Check(std::strcmp(OrEmpty(set.GetString(number)), OrEmpty(again.GetString(number))) == 0);
  ReadAll(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t control = data[0];
  const std::string payload(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool swizzled = (control & 0x01) != 0;
  StringSet::SetLanguageCode(static_cast<uint8_t>((control >> 1) % StringSet::kMaxLanguages + 1));
  const int32_t liveHandles = CountLiveMHandles();
  {
    for (const bool allLanguages : {false, true}) {
      FakeResFile file;
      file.Open(FixedStringBuffer<16>("c:\\fuzz"));
      file.Store(StringSet::kStringListType, kListId, payload, swizzled, "list");
      file.Store(StringSet::kTextType, kTextId, payload, true, "text");

      StringSet list;
      Check(list.Load(&file, kListId, allLanguages) == 0);
      Check(!list.TextMode());
      ReadAll(list);
      StringSet text;
      Check(text.Load(&file, kTextId, allLanguages) == 0);
      Check(text.TextMode());
      ReadAll(text);

      SaveAndReload(list, file, kListId);
      SaveAndReload(text, file, kTextId);
      file.Close();
    }
  }
  StringSet::SetLanguageCode(1);
  Check(CountLiveMHandles() == liveHandles);
  return 0;
}
