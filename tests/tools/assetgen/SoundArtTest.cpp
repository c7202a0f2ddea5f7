#include "tools/assetgen/SoundArt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/tools/assetgen/TestBytes.h"
#include "tools/assetgen/WavWriter.h"

namespace tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WavWriterTest, WritesTheCanonicalHeaderAndLittleEndianSamples) {
  const Bytes expected = {
      'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',
      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
      0x22, 0x56, 0, 0,      // 22,050 samples per second
      0x44, 0xAC, 0, 0,      // 44,100 bytes per second
      2, 0, 16, 0,
      'd', 'a', 't', 'a', 4, 0, 0, 0,
      0x34, 0x12, 0x00, 0x80};
  EXPECT_EQ(WavWriter::Encode({0x1234, -32768}), expected);
}

// The fields that follow the tags, for a sound of `dataSize` bytes.
void ExpectHeader(const Bytes& wav, std::uint32_t dataSize) {
  ASSERT_EQ(wav.size(), 44u + dataSize);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(test::Le32(wav, 4), 36u + dataSize);
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(test::Le32(wav, 16), 16u);
  EXPECT_EQ(test::Le16(wav, 20), 1u) << "PCM";
  EXPECT_EQ(test::Le16(wav, 22), 1u) << "channels";
  EXPECT_EQ(test::Le32(wav, 24), 22050u);
  EXPECT_EQ(test::Le32(wav, 28), 44100u);
  EXPECT_EQ(test::Le16(wav, 32), 2u);
  EXPECT_EQ(test::Le16(wav, 34), 16u);
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  EXPECT_EQ(test::Le32(wav, 40), dataSize);
}

int Peak(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  int peak = 0;
  for (std::size_t i = from; i < to && i < samples.size(); ++i) peak = std::max(peak, std::abs(int{samples[i]}));
  return peak;
}

TEST(SoundArtTest, ClickHasItsExactSizeAndIsShortAndCrisp) {
  const std::vector<std::int16_t> click = SoundArt::MakeClick();
  ExpectHeader(WavWriter::Encode(click), 2360);
  ASSERT_EQ(click.size(), 1180u);
  const int peak = Peak(click, 0, click.size());
  EXPECT_LT(peak, 32767) << "clipped";
  EXPECT_GT(peak, 20000) << "too quiet";
  EXPECT_EQ(Peak(click, 0, 200), peak) << "the loudest part comes first";
  EXPECT_LT(Peak(click, 1100, 1180), 100) << "ends in silence";
}

TEST(SoundArtTest, JingleHasItsExactSizeNeverClipsAndFadesOut) {
  const std::vector<std::int16_t> jingle = SoundArt::MakeJingle();
  ExpectHeader(WavWriter::Encode(jingle), 286804);
  ASSERT_EQ(jingle.size(), 143402u);
  const int peak = Peak(jingle, 0, jingle.size());
  EXPECT_LT(peak, 32767) << "clipped";
  EXPECT_GT(peak, 20000) << "too quiet";
  // Every half second up to the fade carries sound.
  for (std::size_t start = 0; start + 11025 <= 121352; start += 11025) {
    EXPECT_GT(Peak(jingle, start, start + 11025), 3000) << "silent near sample " << start;
  }
  EXPECT_LT(Peak(jingle, 143402 - 2205, 143402), peak / 10) << "no fade-out";
  EXPECT_EQ(jingle.back(), 0);
}

TEST(SoundArtTest, SoundsAreTheSameOnEveryRun) {
  EXPECT_EQ(SoundArt::MakeClick(), SoundArt::MakeClick());
  EXPECT_EQ(SoundArt::MakeJingle(), SoundArt::MakeJingle());
}

}  // namespace
}  // namespace tools
