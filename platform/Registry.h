#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// One open registry key. Values are read, never written: the organizer keeps no
// settings of its own.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // Reads a string value (plain or expandable; expandable ones come back
  // unexpanded) as UTF-8. Returns false when the value is missing or is not a
  // string. Value names compare without regard to case; an empty name is the
  // key's default value.
  virtual bool QueryString(std::string_view name, std::string* value) const = 0;
};

// The machine hive (the local-machine root), as a 32-bit program sees it: on
// Windows the registry itself, on Linux a Wine prefix's system.reg.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens a key for query access; `path` uses backslashes and compares without
  // regard to case. Null when the key cannot be opened.
  virtual std::unique_ptr<RegistryKey> OpenMachineKey(std::string_view path) = 0;
};

}  // namespace platform
