#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// Builds a registry hive file in the text form a Wine prefix keeps
// (system.reg):
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to REGISTRY\\Machine
//   #arch=win64
//   <comment lines>
//   <blank line>
//   [Key\\Path] <modification time, seconds since 1970>
//   #time=<modification time as a hexadecimal FILETIME>
//   @="default value"
//   "Name"="string"             plain string
//   "Name"=str(2):"string"      expandable string, stored unexpanded
//   "Name"=dword:0000002a       32-bit number, eight hexadecimal digits
//   "Name"=hex:01,02,...,\      binary, lines continued with a backslash
//     ff,00                     and a two-space indent
//   <blank line between keys>
//
// Key paths and quoted texts escape "\" as "\\", the closing delimiter ("]"
// in key paths, '"' in texts) with a backslash, control characters as C
// escapes or octal, and characters beyond ASCII as "\x" and the hexadecimal
// UTF-16 code unit, padded to four digits when a hexadecimal digit follows.
class WineRegWriter {
 public:
  // Starts the file; each comment line is written as ";; <comment>".
  explicit WineRegWriter(const std::vector<std::string>& comments);

  // Starts a key. `path` uses single backslashes and UTF-8.
  void BeginKey(std::string_view path);

  // An empty name writes the key's default value ("@").
  void String(std::string_view name, std::string_view value);
  void ExpandString(std::string_view name, std::string_view value);
  void Dword(std::string_view name, std::uint32_t value);
  void Binary(std::string_view name, const std::vector<std::uint8_t>& bytes);

  const std::string& Text() const { return fText; }

  // UTF-8 `text` escaped for the file, without the surrounding delimiters.
  // Malformed UTF-8 turns into U+FFFD.
  static std::string Escape(std::string_view text, char delimiter);

  // Every key gets the same fixed time so that the file is the same on every run.
  static constexpr std::uint64_t kKeySeconds = 1796626466;
  static constexpr std::uint64_t kKeyFileTime = 0x1d9a8c5b2e4f000;

 private:
  // Writes `"name"=` (or `@=`) and returns its length.
  std::size_t ValueName(std::string_view name);

  std::string fText;
};

}  // namespace tools
