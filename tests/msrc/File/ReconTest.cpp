#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "msrc/File/Recon.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
  return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A payload buffer with canary bytes behind its end, so a write past the end
// shows even without the sanitizer.
struct Payload {
  explicit Payload(int32_t size) : fBytes(static_cast<size_t>(size) + 8, 0xEE), fSize(size) {}
  uint8_t* Data() { return fBytes.data(); }
  std::vector<uint8_t> Written() const { return {fBytes.begin(), fBytes.begin() + fSize}; }
  bool CanariesIntact() const {
    for (size_t i = static_cast<size_t>(fSize); i < fBytes.size(); ++i) {
      if (fBytes[i] != 0xEE) return false;
    }
    return true;
  }
  std::vector<uint8_t> fBytes;
  int32_t fSize;
};

TEST(ReconPlain, LongAndShortInTheWritersOrder) {
  Payload out(6);
  Recon writer(out.Data(), 6, Recon::kWriting, false);
  int32_t l = 0x01020304;
  int16_t s = -2;
  writer.Long(&l);
  writer.Short(&s);
  EXPECT_EQ(writer.Position(), 6);
  EXPECT_EQ(out.Written(), Bytes({0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF}));
}

TEST(ReconPlain, SwappedWriteReversesEachElement) {
  Payload out(8);
  Recon writer(out.Data(), 8, Recon::kWriting, true);
  int32_t l = 0x01020304;
  int16_t s[2] = {0x0A0B, 0x0C0D};
  writer.Long(&l);
  writer.Short(s, 2);
  EXPECT_EQ(out.Written(), Bytes({0x01, 0x02, 0x03, 0x04, 0x0A, 0x0B, 0x0C, 0x0D}));
}

TEST(ReconPlain, SwappedReadOfABigEndianFive) {
  std::vector<uint8_t> in = Bytes({0x00, 0x00, 0x00, 0x05, 0x12, 0x34});
  Recon reader(in.data(), 6, Recon::kReading, true);
  EXPECT_TRUE(reader.Swapped());
  int32_t l = 0;
  int16_t s = 0;
  reader.Long(&l);
  reader.Short(&s);
  EXPECT_EQ(l, 5);
  EXPECT_EQ(s, 0x1234);
}

TEST(ReconPlain, StringsArePaddedToAnEvenPosition) {
  Payload out(12);
  Recon writer(out.Data(), 12, Recon::kWriting, false);
  FixedStringBuffer<64> three("abc"), four("abcd"), none;
  writer.String(&three);
  EXPECT_EQ(writer.Position(), 4);
  writer.String(&four);
  EXPECT_EQ(writer.Position(), 10);
  writer.String(&none);
  EXPECT_EQ(writer.Position(), 12);
  // Padding bytes are skipped, not written: they keep what the buffer held.
  EXPECT_EQ(out.Written(), Bytes({'a', 'b', 'c', 0, 'a', 'b', 'c', 'd', 0, 0xEE, 0, 0xEE}));
}

TEST(ReconPlain, ReadingAStringCountsTheStoredText) {
  std::vector<uint8_t> in = Bytes(std::string("abcdefgh\0\xA3", 10));
  in.insert(in.end(), {0x07, 0, 0, 0});
  Recon reader(in.data(), static_cast<int32_t>(in.size()), Recon::kReading, false);
  FixedStringBuffer<4> small("zz");
  AssertRecorder reports;
  reader.String(&small);
  // Cut by the buffer (its own report), but the position passes the whole text.
  EXPECT_STREQ(small.Text(), "abc");
  EXPECT_THAT(reports.Reports(), ElementsAre(HasSubstr("append losing characters")));
  EXPECT_EQ(reader.Position(), 10);
  int32_t next = 0;
  reader.Long(&next);
  EXPECT_EQ(next, 7);
}

TEST(ReconPlain, SizingCountsWhatWritingWrites) {
  auto walk = [](Recon& recon) {
    int32_t longs[3] = {1, -2, 3};
    int16_t shorts[1] = {4};
    FixedStringBuffer<64> a("odd"), b("even"), c;
    recon.Short(shorts, 1);
    recon.String(&a);
    recon.Long(longs, 3);
    recon.String(&b);
    recon.String(&c);
    recon.Short(shorts, 1);
  };
  Recon sizer;
  EXPECT_EQ(sizer.Mode(), Recon::kSizing);
  walk(sizer);
  // 2 + "odd"(4, lands at 6) + 12 + "even"(5 + 1) + ""(2) + 2
  EXPECT_EQ(sizer.Position(), 2 + 4 + 12 + 6 + 2 + 2);
  Payload out(sizer.Position());
  Recon writer(out.Data(), sizer.Position(), Recon::kWriting, false);
  AssertRecorder reports;
  walk(writer);
  EXPECT_EQ(writer.Position(), sizer.Position());
  EXPECT_FALSE(writer.Overflowed());
  EXPECT_THAT(reports.Reports(), IsEmpty());
}

TEST(ReconBounds, LongThatDoesNotFitReadsNothing) {
  std::vector<uint8_t> in = Bytes({1, 2, 3, 4, 5, 6});
  Recon reader(in.data(), 6, Recon::kReading, false);
  AssertRecorder reports;
  int32_t pair[2] = {-7, -7};
  reader.Long(pair, 2);
  EXPECT_EQ(pair[0], -7);
  EXPECT_EQ(pair[1], -7);
  EXPECT_THAT(reports.Reports(),
              ElementsAre(HasSubstr("msrc/File/Recon, line ")));
  EXPECT_THAT(reports.Reports(), ElementsAre(HasSubstr("(fPosition + numelems*4 <= fSize) overflow")));
  EXPECT_TRUE(reader.Overflowed());
  EXPECT_EQ(reader.Position(), 6);
  EXPECT_EQ(reader.Remaining(), 0);

  // Every later field of the short payload keeps its value.
  int16_t s = 99;
  reader.Short(&s);
  EXPECT_EQ(s, 99);
  EXPECT_THAT(reports.Reports()[1], HasSubstr("(fPosition + numelems*2 <= fSize) overflow"));
}

TEST(ReconBounds, WritingNeverPassesTheEnd) {
  Payload out(5);
  Recon writer(out.Data(), 5, Recon::kWriting, false);
  AssertRecorder reports;
  int32_t l = 0x11111111;
  int16_t s[2] = {0x2222, 0x2222};
  FixedStringBuffer<8> text("xyz");
  writer.Long(&l);
  writer.Short(s, 2);
  writer.String(&text);
  EXPECT_TRUE(out.CanariesIntact());
  EXPECT_EQ(out.Written(), Bytes({0x11, 0x11, 0x11, 0x11, 0xEE}));
  EXPECT_EQ(reports.Count(), 2u);
  EXPECT_EQ(writer.Position(), 5);
}

TEST(ReconBounds, StringWithoutATerminatorStopsAtTheEnd) {
  std::vector<uint8_t> in = Bytes({'h', 'e', 'l', 'l', 'o'});
  Recon reader(in.data(), 5, Recon::kReading, false);
  AssertRecorder reports;
  FixedStringBuffer<64> text("old");
  reader.String(&text);
  EXPECT_STREQ(text.Text(), "hello");
  EXPECT_THAT(reports.Reports(), ElementsAre(HasSubstr("overflow")));
  EXPECT_EQ(reader.Position(), 5);

  reader.String(&text);
  EXPECT_STREQ(text.Text(), "");
  EXPECT_EQ(reports.Count(), 2u);
}

TEST(ReconBounds, PaddingBeyondTheEndIsNotCounted) {
  // An odd-sized payload ending in a string whose padding byte is missing.
  std::vector<uint8_t> in = Bytes(std::string("abcd\0", 5));
  Recon reader(in.data(), 5, Recon::kReading, false);
  AssertRecorder reports;
  FixedStringBuffer<64> text;
  reader.String(&text);
  EXPECT_STREQ(text.Text(), "abcd");
  EXPECT_EQ(reader.Position(), 5);
  EXPECT_FALSE(reader.Overflowed());
  EXPECT_THAT(reports.Reports(), IsEmpty());
}

TEST(ReconBounds, NothingAtAllToRead) {
  Recon reader(nullptr, 40, Recon::kReading, false);
  EXPECT_EQ(reader.Size(), 0);
  AssertRecorder reports;
  int32_t l = 3;
  FixedStringBuffer<8> text("keep");
  reader.Long(&l);
  reader.String(&text);
  EXPECT_EQ(l, 3);
  EXPECT_STREQ(text.Text(), "");
  EXPECT_EQ(reports.Count(), 2u);
}

TEST(ReconBounds, EmptyAndNegativeCountsDoNothing) {
  std::vector<uint8_t> in = Bytes({1, 2, 3, 4});
  Recon reader(in.data(), 4, Recon::kReading, false);
  AssertRecorder reports;
  int32_t l = 9;
  reader.Long(&l, 0);
  reader.Long(&l, -3);
  reader.Short(nullptr, 0);
  EXPECT_EQ(l, 9);
  EXPECT_EQ(reader.Position(), 0);
  EXPECT_THAT(reports.Reports(), IsEmpty());
}

TEST(ReconModes, WrongModeIsReportedAndTouchesNothing) {
  Payload out(8);
  AssertRecorder reports;
  Recon odd(out.Data(), 8, 7, false);
  EXPECT_THAT(reports.Reports(),
              ElementsAre(HasSubstr("(mode==kReading || mode==kWriting) wrong mode in constructor")));
  int32_t l = 5;
  FixedStringBuffer<8> text("t");
  odd.Long(&l);
  odd.String(&text);
  EXPECT_EQ(odd.Position(), 0);
  EXPECT_TRUE(out.CanariesIntact());
  EXPECT_EQ(out.Written(), std::vector<uint8_t>(8, 0xEE));
  ASSERT_EQ(reports.Count(), 3u);
  EXPECT_THAT(reports.Reports()[1], HasSubstr("(fMode==kReading || fMode==kWriting) mode switched"));
}

TEST(ReconModes, HeaderBytes) {
  Recon::Header header;
  header.fVersion = 0x0102;
  header.fType = MakeResType("rsmp");
  uint8_t bytes[12];
  std::fill(std::begin(bytes), std::end(bytes), 0xEE);
  header.Write(bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 12),
            Bytes({0, 0, 0, 0, 0x02, 0x01, 0, 0, 'p', 'm', 's', 'r'}));
  bytes[0] = 1;
  const Recon::Header back = Recon::Header::Read(bytes);
  EXPECT_EQ(back.fByteOrder, 1);
  EXPECT_EQ(back.fVersion, 0x0102);
  EXPECT_EQ(back.fType, MakeResType("rsmp"));
}

}  // namespace
