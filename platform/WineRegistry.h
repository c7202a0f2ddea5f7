#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "platform/WineHive.h"

namespace platform {

// The machine hive of a Wine prefix (its system.reg), as a 32-bit program sees
// it. The file is read and parsed once, on first use; a file that is missing,
// unreadable or not in the registry format leaves every key unopenable.
class WineRegistry : public Registry {
 public:
  explicit WineRegistry(std::string hivePath);

  // On a 64-bit prefix a path under "Software\" is looked up first in the
  // 32-bit view, "Software\Wow6432Node\<rest>", then as written.
  std::unique_ptr<RegistryKey> OpenMachineKey(std::string_view path) override;

  // The parsed hive; null when the file could not be used.
  std::shared_ptr<const WineHive> Hive();

  const std::string& hivePath() const { return fHivePath; }

 private:
  std::string fHivePath;
  bool fLoaded = false;
  std::shared_ptr<const WineHive> fHive;
};

}  // namespace platform
