#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// The program's two sounds as 16-bit mono samples at 22,050 Hz. Their lengths
// are fixed because the organizer's sound resources have these sizes.
class SoundArt {
 public:
  static constexpr std::size_t kClickSamples = 1180;   // 2,360 bytes
  static constexpr std::size_t kJingleSamples = 143402;  // 286,804 bytes, about 6.5 s

  // A short crisp click: a burst of noise over a bright tone and a soft thump.
  static std::vector<std::int16_t> MakeClick();

  // The start-up jingle: a cheerful phrase over a bass line, ending on a held
  // chord that fades out.
  static std::vector<std::int16_t> MakeJingle();
};

}  // namespace tools
