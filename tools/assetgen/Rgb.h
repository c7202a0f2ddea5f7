#pragma once

#include <cstdint>

namespace tools {

// One 24-bit colour. The generated pictures use flat colours and stepped
// gradients only, so that every 256-colour picture fits its palette exactly.
struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Linear mix of two colours in integer steps: `step` of `steps` parts of `to`.
// step 0 gives `from`, step == steps gives `to`.
Rgb Mix(Rgb from, Rgb to, int step, int steps);

}  // namespace tools
