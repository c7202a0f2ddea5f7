#pragma once

#include <cstdint>

namespace tools {

// Integer building blocks for the generated sounds, so that the wave files
// come out byte-identical whatever the compiler does with floating point.
class Synth {
 public:
  static constexpr std::int32_t kFullScale = 32767;

  // Sine of `phase`, where 2^32 is one full turn, scaled to -32767..32767.
  static std::int32_t Sine(std::uint32_t phase);

  // Phase advance per sample for a tone of `milliHertz` / 1000 Hz.
  static std::uint32_t PhaseStep(std::uint32_t milliHertz, std::uint32_t sampleRate);

  // A decay curve (1 - t/length)^2 scaled to 0..32768: 32768 at t = 0, 0 from
  // t = length on.
  static std::int32_t Decay(std::int64_t t, std::int64_t length);

  // A fixed-seed linear congruential generator for noise.
  class Noise {
   public:
    explicit Noise(std::uint32_t seed) : fState(seed) {}
    // Next value in -32768..32767.
    std::int32_t Next();

   private:
    std::uint32_t fState;
  };
};

}  // namespace tools
