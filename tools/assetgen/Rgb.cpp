#include "tools/assetgen/Rgb.h"

namespace tools {

namespace {

std::uint8_t MixChannel(int from, int to, int step, int steps) {
  return static_cast<std::uint8_t>(from + (to - from) * step / steps);
}

}  // namespace

Rgb Mix(Rgb from, Rgb to, int step, int steps) {
  if (steps <= 0 || step <= 0) return from;
  if (step >= steps) return to;
  return {MixChannel(from.r, to.r, step, steps), MixChannel(from.g, to.g, step, steps),
          MixChannel(from.b, to.b, step, steps)};
}

}  // namespace tools
