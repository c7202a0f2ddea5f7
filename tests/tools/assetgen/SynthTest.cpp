#include "tools/assetgen/Synth.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tools {
namespace {

TEST(SynthTest, SineHitsItsPeaksAndZerosExactly) {
  EXPECT_EQ(Synth::Sine(0), 0);
  EXPECT_EQ(Synth::Sine(1u << 30), 32767);
  EXPECT_EQ(Synth::Sine(1u << 31), 0);
  EXPECT_EQ(Synth::Sine(3u << 30), -32767);
}

TEST(SynthTest, SineFollowsTheTrueCurveWithinOneStep) {
  for (std::uint64_t phase = 0; phase < (std::uint64_t{1} << 32); phase += 0x10001) {
    const double angle = static_cast<double>(phase) / 4294967296.0 * 2.0 * 3.14159265358979323846;
    const double expected = std::sin(angle) * 32767.0;
    ASSERT_NEAR(Synth::Sine(static_cast<std::uint32_t>(phase)), expected, 1.0) << phase;
  }
}

TEST(SynthTest, PhaseStepIsTheFractionOfATurnPerSample) {
  EXPECT_EQ(Synth::PhaseStep(11025000, 22050), 1u << 31);
  EXPECT_EQ(Synth::PhaseStep(440000, 22050), 85704562u);
  EXPECT_EQ(Synth::PhaseStep(440000, 0), 0u);
}

TEST(SynthTest, DecayFallsFromFullToSilence) {
  EXPECT_EQ(Synth::Decay(0, 100), 32768);
  EXPECT_EQ(Synth::Decay(50, 100), 8192);
  EXPECT_EQ(Synth::Decay(100, 100), 0);
  EXPECT_EQ(Synth::Decay(5000, 100), 0);
  EXPECT_EQ(Synth::Decay(0, 0), 0);
  for (int t = 1; t <= 100; ++t) EXPECT_LE(Synth::Decay(t, 100), Synth::Decay(t - 1, 100));
}

}  // namespace
}  // namespace tools
