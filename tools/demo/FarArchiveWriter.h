#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tools {

// Builds the bytes of a FAR archive. Integers are 32-bit little-endian:
//   header     "FAR!byQX", version 1, directory offset
//   data       the members' bytes, back to back, in the order added
//   directory  count, then per member: length, length2 (the same length),
//              data offset, name length, the name without a terminator
class FarArchiveWriter {
 public:
  // `name` is the member's path below the archive's folder, "/" or "\"
  // separated.
  void Add(std::string name, std::string bytes);

  std::string Bytes() const;

 private:
  std::vector<std::pair<std::string, std::string>> fMembers;
};

}  // namespace tools
