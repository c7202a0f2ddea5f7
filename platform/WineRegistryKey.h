#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "platform/WineHive.h"

namespace platform {

// An open key of a parsed hive. It shares ownership of the hive, so it stays
// valid however long the caller keeps it.
class WineRegistryKey : public RegistryKey {
 public:
  WineRegistryKey(std::shared_ptr<const WineHive> hive, const WineHive::Key* key);

  // Strings are handed out up to their first NUL character, as a reader of a
  // zero-terminated string would see them.
  bool QueryString(std::string_view name, std::string* value) const override;

 private:
  std::shared_ptr<const WineHive> fHive;
  const WineHive::Key* fKey;
};

}  // namespace platform
