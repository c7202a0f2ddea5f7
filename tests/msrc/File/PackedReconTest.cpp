#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

#include "msrc/File/Recon.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Bits a packed walk has used so far: whole bytes touched minus the free bits
// left in the last one.
int32_t BitsUsed(const Recon& recon) {
  return recon.Position() * 8 - static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(recon.BitMask())));
}

int32_t SizedBits(int32_t value, const Recon::PackedWidths& widths) {
  Recon sizer;
  sizer.PackedInt(&value, widths);
  return BitsUsed(sizer);
}

TEST(ReconBits, MostSignificantBitFirstFromTheTopOfEachByte) {
  std::vector<uint8_t> bytes(3, 0xEE);
  Recon writer(bytes.data(), 3, Recon::kWriting, false);
  uint32_t a = 0b101, b = 0b00011, c = 0xABC;
  writer.Bits(3, &a);
  writer.Bits(5, &b);
  EXPECT_EQ(writer.Position(), 1);
  EXPECT_EQ(writer.BitMask(), 0);
  writer.Bits(12, &c);
  EXPECT_EQ(writer.Position(), 3);
  EXPECT_EQ(writer.BitMask(), 0x08);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xA3, 0xAB, 0xC0}));

  Recon reader(bytes.data(), 3, Recon::kReading, false);
  uint32_t x = 0xFFFFFFFF, y = 0xFFFFFFFF, z = 0xFFFFFFFF;
  reader.Bits(3, &x);
  reader.Bits(5, &y);
  reader.Bits(12, &z);
  EXPECT_EQ(x, 0b101u);
  EXPECT_EQ(y, 0b00011u);
  EXPECT_EQ(z, 0xABCu);
}

TEST(ReconBits, ThirtyTwoBitsAcrossFiveBytes) {
  std::vector<uint8_t> bytes(5, 0);
  Recon writer(bytes.data(), 5, Recon::kWriting, false);
  uint32_t one = 1, word = 0xDEADBEEF;
  writer.Bits(1, &one);
  writer.Bits(32, &word);
  EXPECT_EQ(writer.Position(), 5);
  Recon reader(bytes.data(), 5, Recon::kReading, false);
  uint32_t first = 0, back = 0;
  reader.Bits(1, &first);
  reader.Bits(32, &back);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(back, 0xDEADBEEFu);
}

TEST(ReconBits, BadBitCountsMoveNothing) {
  std::vector<uint8_t> bytes(4, 0);
  Recon writer(bytes.data(), 4, Recon::kWriting, false);
  AssertRecorder reports;
  uint32_t v = 1;
  writer.Bits(0, &v);
  writer.Bits(33, &v);
  EXPECT_EQ(writer.Position(), 0);
  EXPECT_THAT(reports.Reports(), ElementsAre(HasSubstr("(bitCount>=1 && bitCount<=32) bad bitcount"),
                                             HasSubstr("(bitCount>=1 && bitCount<=32) bad bitcount")));
}

TEST(ReconBits, SizingCountsLikeTheWriter) {
  for (int32_t start = 0; start < 8; ++start) {
    for (int32_t count = 1; count <= 32; ++count) {
      std::vector<uint8_t> bytes(8, 0);
      Recon writer(bytes.data(), 8, Recon::kWriting, false);
      Recon sizer;
      uint32_t v = 0x5555AAAA;
      if (start > 0) {
        writer.Bits(start, &v);
        sizer.Bits(start, &v);
      }
      writer.Bits(count, &v);
      sizer.Bits(count, &v);
      ASSERT_EQ(sizer.Position(), writer.Position()) << start << "+" << count;
      ASSERT_EQ(sizer.BitMask(), writer.BitMask()) << start << "+" << count;
    }
  }
}

TEST(ReconPackedInt, ZeroTakesOneBit) {
  std::vector<uint8_t> bytes(1, 0xFF);
  Recon writer(bytes.data(), 1, Recon::kWriting, false);
  int32_t zero = 0;
  writer.PackedInt(&zero, Recon::kShortWidths);
  EXPECT_EQ(BitsUsed(writer), 1);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(SizedBits(0, Recon::kLongWidths), 1);
}

TEST(ReconPackedInt, ThreeAndMinusOneTakeEightBits) {
  EXPECT_EQ(SizedBits(3, Recon::kShortWidths), 1 + 2 + 5);
  EXPECT_EQ(SizedBits(-1, Recon::kShortWidths), 8);

  std::vector<uint8_t> bytes(2, 0xEE);
  Recon writer(bytes.data(), 2, Recon::kWriting, false);
  int32_t three = 3, minusOne = -1;
  writer.PackedInt(&three, Recon::kShortWidths);
  writer.PackedInt(&minusOne, Recon::kShortWidths);
  // flag 1, index 00, value 00011 / 11111
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x83, 0x9F}));

  Recon reader(bytes.data(), 2, Recon::kReading, false);
  int32_t a = 77, b = 77;
  reader.PackedInt(&a, Recon::kShortWidths);
  reader.PackedInt(&b, Recon::kShortWidths);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, -1);
}

TEST(ReconPackedInt, TheFirstWidthThatHoldsTheValueIsTaken) {
  EXPECT_EQ(SizedBits(15, Recon::kShortWidths), 3 + 5);
  EXPECT_EQ(SizedBits(-16, Recon::kShortWidths), 3 + 5);
  EXPECT_EQ(SizedBits(16, Recon::kShortWidths), 3 + 8);
  EXPECT_EQ(SizedBits(-129, Recon::kShortWidths), 3 + 13);
  EXPECT_EQ(SizedBits(4096, Recon::kShortWidths), 3 + 16);
  EXPECT_EQ(SizedBits(31, Recon::kLongWidths), 3 + 6);
  EXPECT_EQ(SizedBits(32, Recon::kLongWidths), 3 + 11);
  EXPECT_EQ(SizedBits(1 << 20, Recon::kLongWidths), 3 + 32);
  EXPECT_EQ(SizedBits(std::numeric_limits<int32_t>::min(), Recon::kLongWidths), 3 + 32);
}

TEST(ReconPackedInt, RoundTripsInBothWidthSets) {
  const std::vector<int32_t> shorts{0, 1, -1, 15, -16, 16, 127, -128, 128, 4095, -4096, 4096, 32767, -32768};
  const std::vector<int32_t> longs{0, 31, -32, 32, 1023, -1024, 1024, (1 << 20) - 1, -(1 << 20), 1 << 20,
                                   std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
  for (const auto& [values, widths] : {std::pair{shorts, Recon::kShortWidths}, std::pair{longs, Recon::kLongWidths}}) {
    Recon sizer;
    for (int32_t v : values) sizer.PackedInt(&v, widths);
    std::vector<uint8_t> bytes(static_cast<size_t>(sizer.Position()));
    Recon writer(bytes.data(), sizer.Position(), Recon::kWriting, false);
    for (int32_t v : values) writer.PackedInt(&v, widths);
    EXPECT_EQ(writer.Position(), sizer.Position());
    Recon reader(bytes.data(), sizer.Position(), Recon::kReading, false);
    for (int32_t v : values) {
      int32_t back = 12345;
      reader.PackedInt(&back, widths);
      EXPECT_EQ(back, v);
    }
    EXPECT_FALSE(reader.Overflowed());
  }
}

TEST(ReconPackedInt, TooLargeForEveryWidthIsReportedAndCut) {
  AssertRecorder reports;
  std::vector<uint8_t> bytes(3, 0);
  Recon writer(bytes.data(), 3, Recon::kWriting, false);
  int32_t big = 0x12345;
  writer.PackedInt(&big, Recon::kShortWidths);
  EXPECT_THAT(reports.Reports(), ElementsAre(HasSubstr("integer too large")));
  EXPECT_EQ(BitsUsed(writer), 3 + 16);
  Recon reader(bytes.data(), 3, Recon::kReading, false);
  int32_t back = 0;
  reader.PackedInt(&back, Recon::kShortWidths);
  EXPECT_EQ(back, 0x2345);
}

TEST(ReconPackedInt, TruncatedInputLeavesTheValue) {
  std::vector<uint8_t> bytes(2, 0);
  Recon writer(bytes.data(), 2, Recon::kWriting, false);
  int32_t v = 100;  // 11 bits
  writer.PackedInt(&v, Recon::kShortWidths);
  Recon reader(bytes.data(), 1, Recon::kReading, false);
  AssertRecorder reports;
  int32_t back = -5;
  reader.PackedInt(&back, Recon::kShortWidths);
  EXPECT_EQ(back, -5);
  EXPECT_THAT(reports.Reports(), ElementsAre(HasSubstr("overflow")));
  EXPECT_EQ(reader.Position(), 1);
}

TEST(ReconPackedFields, LongsShortsAndStringsInPackedMode) {
  auto walk = [](Recon& recon, int32_t* longs, int16_t* shorts, StringBuffer* text) {
    recon.SetPacked(true);
    recon.Long(longs, 2);
    recon.String(text);
    recon.Short(shorts, 3);
  };
  int32_t longs[2] = {0, 3};
  int16_t shorts[3] = {-1, 0, 1000};
  FixedStringBuffer<8> text("ab");
  Recon sizer;
  walk(sizer, longs, shorts, &text);
  // Longs: 1 + 9 bits = 2 bytes; "ab\0" from byte 2 ends at 5, padded to 6;
  // shorts: 8 + 1 + 16 bits = 4 bytes.
  EXPECT_EQ(sizer.Position(), 10);

  std::vector<uint8_t> bytes(10, 0xEE);
  Recon writer(bytes.data(), 10, Recon::kWriting, false);
  walk(writer, longs, shorts, &text);
  EXPECT_EQ(writer.Position(), 10);
  // Long widths: 0 | 1 00 000011 | text on a fresh byte, padding skipped |
  // short widths: 1 00 11111 | 0 | 1 10 0001111101000
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x40, 0xC0, 'a', 'b', 0, 0xEE, 0x9F, 0x61, 0xF4, 0x00}));

  int32_t longsBack[2] = {9, 9};
  int16_t shortsBack[3] = {9, 9, 9};
  FixedStringBuffer<8> textBack;
  Recon reader(bytes.data(), 10, Recon::kReading, false);
  walk(reader, longsBack, shortsBack, &textBack);
  EXPECT_EQ(longsBack[0], 0);
  EXPECT_EQ(longsBack[1], 3);
  EXPECT_STREQ(textBack.Text(), "ab");
  EXPECT_EQ(shortsBack[0], -1);
  EXPECT_EQ(shortsBack[1], 0);
  EXPECT_EQ(shortsBack[2], 1000);
  EXPECT_FALSE(reader.Overflowed());
}

}  // namespace
