// Drives the registry text parser with arbitrary bytes: it must never crash,
// hang or read outside the text, and whatever it finds must be well-formed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/WineHive.h"
#include "platform/WineText.h"

namespace {

void CheckUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    std::size_t length = platform::WineText::DecodeUtf8At(text, pos, &cp);
    if (length == 0) __builtin_trap();
    pos += length;
  }
}

void Probe(const platform::WineHive& hive, std::string_view path) {
  const platform::WineHive::Key* key = hive.FindKey(path);
  if (key == nullptr) return;
  for (std::string_view name : {"VELT_DATA", "", "a", "velt_data"}) {
    if (const platform::WineHive::Value* value = key->FindValue(name)) CheckUtf8(value->text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<platform::WineHive> hive = platform::WineHive::Parse(text);
  if (!hive) return 0;
  if (hive->FindKey("") == nullptr) __builtin_trap();
  Probe(*hive, "");
  Probe(*hive, "Software\\Korva\\The Velt");
  Probe(*hive, "Software\\Wow6432Node\\Korva\\The Velt");
  Probe(*hive, "a");
  Probe(*hive, "a\\b");
  return 0;
}
