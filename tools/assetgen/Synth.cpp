#include "tools/assetgen/Synth.h"

#include <algorithm>

namespace tools {

namespace {

constexpr int kFractionBits = 30;
constexpr std::int64_t kOne = std::int64_t{1} << kFractionBits;

// Taylor coefficients of sin(t * pi / 2) for t in 0..1, in units of 2^-30.
constexpr std::int64_t kC1 = 1686629713;
constexpr std::int64_t kC3 = -693598668;
constexpr std::int64_t kC5 = 85569306;
constexpr std::int64_t kC7 = -5026995;
constexpr std::int64_t kC9 = 172272;

std::int64_t Multiply(std::int64_t a, std::int64_t b) { return (a * b) >> kFractionBits; }

}  // namespace

std::int32_t Synth::Sine(std::uint32_t phase) {
  const std::uint32_t quadrant = phase >> 30;
  std::int64_t t = static_cast<std::int64_t>(phase & (kOne - 1));
  if (quadrant == 1 || quadrant == 3) t = kOne - t;
  const std::int64_t t2 = Multiply(t, t);
  std::int64_t sum = kC9;
  sum = kC7 + Multiply(sum, t2);
  sum = kC5 + Multiply(sum, t2);
  sum = kC3 + Multiply(sum, t2);
  sum = kC1 + Multiply(sum, t2);
  sum = Multiply(sum, t);
  std::int64_t scaled = (sum * kFullScale + kOne / 2) >> kFractionBits;
  scaled = std::clamp<std::int64_t>(scaled, 0, kFullScale);
  return static_cast<std::int32_t>(quadrant >= 2 ? -scaled : scaled);
}

std::uint32_t Synth::PhaseStep(std::uint32_t milliHertz, std::uint32_t sampleRate) {
  if (sampleRate == 0) return 0;
  return static_cast<std::uint32_t>((std::uint64_t{milliHertz} << 32) /
                                    (std::uint64_t{sampleRate} * 1000));
}

std::int32_t Synth::Decay(std::int64_t t, std::int64_t length) {
  if (length <= 0 || t >= length) return 0;
  if (t <= 0) return 32768;
  const std::int64_t left = (length - t) * 32768 / length;
  return static_cast<std::int32_t>(left * left >> 15);
}

std::int32_t Synth::Noise::Next() {
  fState = fState * 1664525u + 1013904223u;
  return static_cast<std::int32_t>(fState >> 16) - 32768;
}

}  // namespace tools
