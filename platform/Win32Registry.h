#pragma once

#include <memory>
#include <string_view>

#include "platform/Registry.h"

namespace platform {

// The machine hive of the Windows registry, read through advapi32.
class Win32Registry : public Registry {
 public:
  // Opens the key for query access in the 32-bit view first, where the
  // game's (32-bit) installer writes, then in the 64-bit view. Null when it
  // opens in neither (missing, or no query access).
  std::unique_ptr<RegistryKey> OpenMachineKey(std::string_view path) override;
};

}  // namespace platform
