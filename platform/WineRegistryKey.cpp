#include "platform/WineRegistryKey.h"

#include <utility>

namespace platform {

WineRegistryKey::WineRegistryKey(std::shared_ptr<const WineHive> hive, const WineHive::Key* key)
    : fHive(std::move(hive)), fKey(key) {}

bool WineRegistryKey::QueryString(std::string_view name, std::string* value) const {
  const WineHive::Value* found = fKey->FindValue(name);
  if (found == nullptr) return false;
  if (found->type != WineHive::ValueType::kString && found->type != WineHive::ValueType::kExpandString) return false;
  std::string_view text = found->text;
  *value = std::string(text.substr(0, text.find('\0')));
  return true;
}

}  // namespace platform
