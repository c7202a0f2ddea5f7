#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Registry.h"

// A machine hive held in memory for tests: key path -> value name -> string.
// Paths and names match exactly.
class FakeRegistry : public platform::Registry {
 public:
  std::map<std::string, std::map<std::string, std::string>> keys;

  std::unique_ptr<platform::RegistryKey> OpenMachineKey(std::string_view path) override {
    const auto found = keys.find(std::string(path));
    if (found == keys.end()) return nullptr;
    return std::make_unique<Key>(found->second);
  }

 private:
  class Key : public platform::RegistryKey {
   public:
    explicit Key(std::map<std::string, std::string> values) : fValues(std::move(values)) {}
    bool QueryString(std::string_view name, std::string* value) const override {
      const auto found = fValues.find(std::string(name));
      if (found == fValues.end()) return false;
      *value = found->second;
      return true;
    }

   private:
    std::map<std::string, std::string> fValues;
  };
};
