#include "tools/assetgen/SoundArt.h"

#include <algorithm>
#include <cstdlib>

#include "tools/assetgen/Synth.h"
#include "tools/assetgen/WavWriter.h"

namespace tools {

namespace {

// Loudest sample of a finished sound, comfortably inside the 16-bit range so
// that no sample is ever clipped.
constexpr std::int64_t kPeak = 28000;

// Scales a mix so that its loudest sample is kPeak and narrows it to 16 bits.
std::vector<std::int16_t> Normalise(const std::vector<std::int64_t>& mix) {
  std::int64_t loudest = 1;
  for (std::int64_t sample : mix) loudest = std::max(loudest, std::abs(sample));
  std::vector<std::int16_t> out;
  out.reserve(mix.size());
  for (std::int64_t sample : mix) {
    out.push_back(static_cast<std::int16_t>(sample * kPeak / loudest));
  }
  return out;
}

struct Note {
  std::uint32_t milliHertz;
  std::int64_t start;   // sample index
  std::int64_t length;  // samples until silent
  std::int64_t level;   // relative loudness
};

// A soft organ-like voice: the tone with two quieter overtones, a short linear
// attack and a (1 - t/length)^2 decay.
void AddNote(std::vector<std::int64_t>& mix, const Note& note) {
  constexpr std::int64_t kAttack = 110;  // 5 ms
  const std::uint32_t step = Synth::PhaseStep(note.milliHertz, WavWriter::kSampleRate);
  std::uint32_t phase = 0;
  const std::int64_t end = std::min<std::int64_t>(note.start + note.length,
                                                  static_cast<std::int64_t>(mix.size()));
  for (std::int64_t i = note.start; i < end; ++i) {
    const std::int64_t t = i - note.start;
    const std::int64_t tone = 6 * std::int64_t{Synth::Sine(phase)} +
                              2 * std::int64_t{Synth::Sine(phase * 2)} +
                              1 * std::int64_t{Synth::Sine(phase * 3)};
    std::int64_t envelope = Synth::Decay(t, note.length);
    if (t < kAttack) envelope = envelope * t / kAttack;
    mix[static_cast<std::size_t>(i)] += tone * envelope / 32768 * note.level / 16;
    phase += step;
  }
}

}  // namespace

std::vector<std::int16_t> SoundArt::MakeClick() {
  std::vector<std::int64_t> mix(kClickSamples, 0);
  Synth::Noise noise(0x5EED1234u);
  const std::uint32_t toneStep = Synth::PhaseStep(2800000, WavWriter::kSampleRate);
  const std::uint32_t thumpStep = Synth::PhaseStep(180000, WavWriter::kSampleRate);
  std::uint32_t tonePhase = 0;
  std::uint32_t thumpPhase = 0;
  for (std::size_t i = 0; i < mix.size(); ++i) {
    const std::int64_t t = static_cast<std::int64_t>(i);
    const std::int64_t burst = noise.Next() * std::int64_t{Synth::Decay(t, 60)} / 32768;
    const std::int64_t tone = Synth::Sine(tonePhase) * std::int64_t{Synth::Decay(t, 420)} / 32768;
    const std::int64_t thump = Synth::Sine(thumpPhase) * std::int64_t{Synth::Decay(t, 900)} / 32768;
    mix[i] = 5 * burst + 4 * tone + 3 * thump;
    tonePhase += toneStep;
    thumpPhase += thumpStep;
  }
  return Normalise(mix);
}

std::vector<std::int16_t> SoundArt::MakeJingle() {
  std::vector<std::int64_t> mix(kJingleSamples, 0);
  constexpr std::int64_t kBeat = 6615;  // 0.3 s
  constexpr std::int64_t kBar = 4 * kBeat;

  // Melody in quarter beats over C, F and G, ending on C.
  constexpr std::uint32_t kC5 = 523251, kD5 = 587330, kE5 = 659255, kF5 = 698456,
                          kG5 = 783991, kA5 = 880000, kB5 = 987767, kC6 = 1046502;
  constexpr std::uint32_t kC3 = 130813, kF3 = 174614, kG3 = 195998, kC4 = 261626;
  constexpr std::uint32_t kMelody[] = {kC5, kE5, kG5, kC6, kA5, kF5, kA5, kC6,
                                       kB5, kG5, kD5, kG5};
  constexpr std::uint32_t kBass[] = {kC3, kF3, kG3};

  for (std::size_t i = 0; i < std::size(kMelody); ++i) {
    AddNote(mix, {kMelody[i], static_cast<std::int64_t>(i) * kBeat, kBeat * 3 / 2, 9});
  }
  for (std::size_t i = 0; i < std::size(kBass); ++i) {
    AddNote(mix, {kBass[i], static_cast<std::int64_t>(i) * kBar, kBar, 7});
  }

  // The closing chord rings to the end of the sound.
  const std::int64_t closing = 3 * kBar;
  const std::int64_t ring = static_cast<std::int64_t>(kJingleSamples) - closing;
  for (std::uint32_t tone : {kC6, kG5, kE5, kC5}) AddNote(mix, {tone, closing, ring, 4});
  AddNote(mix, {kC3, closing, ring, 6});
  AddNote(mix, {kC4, closing, ring, 3});

  // Fade out over the last second so the sound ends in silence.
  constexpr std::int64_t kFade = 22050;
  const std::int64_t fadeStart = static_cast<std::int64_t>(kJingleSamples) - kFade;
  for (std::int64_t i = fadeStart; i < static_cast<std::int64_t>(kJingleSamples); ++i) {
    mix[static_cast<std::size_t>(i)] =
        mix[static_cast<std::size_t>(i)] * (static_cast<std::int64_t>(kJingleSamples) - 1 - i) / kFade;
  }
  return Normalise(mix);
}

}  // namespace tools
