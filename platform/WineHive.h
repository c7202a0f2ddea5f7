#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One Wine registry file (system.reg, user.reg), parsed once into ordered maps
// so that every lookup afterwards is a map lookup. Parsing is a pure function
// of the bytes; see WineHive.cpp for the format.
//
// Key paths and value names compare without regard to case (WineText::FoldCase).
// A key exists when a section names it or names one of its subkeys, because Wine
// writes no section for a key that holds nothing but subkeys.
class WineHive {
 public:
  enum class Arch { kWin32, kWin64 };
  enum class ValueType { kString, kExpandString, kOther };

  struct Value {
    ValueType type = ValueType::kOther;
    // The data of the two string types as UTF-8, expandable strings unexpanded;
    // empty for every other type.
    std::string text;
  };

  class Key {
   public:
    // Null when the key has no value of that name; "" is the default value.
    const Value* FindValue(std::string_view name) const;
    std::size_t ValueCount() const { return fValues.size(); }
    std::size_t SubkeyCount() const { return fSubkeys.size(); }

   private:
    friend class WineHive;
    std::map<std::string, Value, std::less<>> fValues;                  // by folded name
    std::map<std::string, std::unique_ptr<Key>, std::less<>> fSubkeys;  // by folded name
  };

  // Deeper section paths are refused, as the registry itself refuses them; the
  // bound also keeps the tree's teardown shallow.
  static constexpr std::size_t kMaxKeyDepth = 512;

  // Null when the text does not start with the format's header line.
  static std::optional<WineHive> Parse(std::string_view text);

  // Null when no section names the key or one below it. The root ("") always
  // exists.
  const Key* FindKey(std::string_view path) const;

  Arch arch() const { return fArch; }
  // Every key, the root and keys implied by deeper sections included.
  std::size_t KeyCount() const { return fKeyCount; }

  // The form under which key paths compare: split on "\", empty components
  // dropped, case folded, joined again with single "\".
  static std::string NormalizePath(std::string_view path);

 private:
  WineHive();

  // The key for a section line, created with its ancestors; null when the line
  // is malformed or the path too deep.
  Key* AddSection(std::string_view line);

  Arch fArch = Arch::kWin32;
  // A tree rather than a map of whole paths, so that a path's ancestors cost
  // one node each instead of a copy of their path each.
  std::unique_ptr<Key> fRoot;
  std::size_t fKeyCount = 1;
};

}  // namespace platform
