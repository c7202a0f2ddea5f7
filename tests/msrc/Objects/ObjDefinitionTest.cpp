// NormalizeDefinition's upgrades, size fixes and reports, the record's field
// access on short records, and the swizzle callback.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/rmemwrap.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

std::string LittleEndian32(int32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8)
    bytes += static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF);
  return bytes;
}

class ObjDefinitionTest : public ::testing::Test {
 protected:
  void SetUp() override { fLiveHandles = CountLiveMHandles(); }
  void TearDown() override {
    for (MHandle handle : fHandles) DisposeMHandle(handle);
    MHandleFailAllocations(0);
    EXPECT_EQ(CountLiveMHandles(), fLiveHandles);
  }

  // A record of `size` bytes: the version, then bytes counting 4, 5, 6, ...
  // (never 0, so zeroing shows).
  MHandle Record(int32_t version, int32_t size) {
    std::string bytes = LittleEndian32(version);
    for (int32_t i = 4; i < size; ++i) bytes += static_cast<char>(i % 250 + 1);
    bytes.resize(static_cast<size_t>(size));
    return Handle(bytes);
  }

  MHandle Handle(std::string_view bytes) {
    MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty()) {
      std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
      UnlockMHandle(handle);
    }
    fHandles.push_back(handle);
    return handle;
  }

  static std::string BytesOf(MHandle handle) {
    const int32_t size = GetMHandleSize(handle);
    if (size == 0) return "";
    std::string bytes(static_cast<const char*>(LockMHandle(handle)), static_cast<size_t>(size));
    UnlockMHandle(handle);
    return bytes;
  }

  static int32_t Version(MHandle handle) {
    const std::string bytes = BytesOf(handle);
    return ReadDefinitionLong(bytes.data(), static_cast<int32_t>(bytes.size()), kObjdVersionOffset);
  }

  // The reports, each as "line : message".
  std::vector<std::string> Reports() const {
    std::vector<std::string> out;
    for (const std::string& report : fReports.Reports()) {
      if (report.find("msrc/Objects/ObjDefinition") == std::string::npos) continue;
      const size_t line = report.find("line ");
      const size_t message = report.find(") ");
      out.push_back(report.substr(line + 5, report.find(' ', line + 5) - line - 5) + " : " +
                    report.substr(message + 2));
    }
    return out;
  }

  AssertRecorder fReports;
  std::vector<MHandle> fHandles;
  int32_t fLiveHandles = 0;
};

using Lines = std::vector<std::string>;

TEST_F(ObjDefinitionTest, Version136IsUpgradedAndZeroFilledWithoutAReport) {
  MHandle handle = Record(136, 200);
  const std::string before = BytesOf(handle);
  EXPECT_TRUE(NormalizeDefinition(handle));
  const std::string after = BytesOf(handle);
  ASSERT_EQ(after.size(), 216u);
  EXPECT_EQ(after.substr(0, 4), LittleEndian32(138));
  EXPECT_EQ(after.substr(4, 196), before.substr(4));
  EXPECT_EQ(after.substr(200), std::string(16, '\0'));
  EXPECT_EQ(Reports(), Lines{});
}

TEST_F(ObjDefinitionTest, CorrectlySized137IsReportedAndUpgraded) {
  MHandle handle = Record(137, 216);
  const std::string before = BytesOf(handle);
  EXPECT_TRUE(NormalizeDefinition(handle));
  EXPECT_EQ(Reports(), Lines{"35 : correctly sized def found."});
  EXPECT_EQ(BytesOf(handle), LittleEndian32(138) + before.substr(4));
}

TEST_F(ObjDefinitionTest, AnOddOldSizeLosesItsLastByte) {
  MHandle handle = Record(137, 201);
  const std::string before = BytesOf(handle);
  EXPECT_TRUE(NormalizeDefinition(handle));
  const std::string after = BytesOf(handle);
  ASSERT_EQ(after.size(), 216u);
  EXPECT_EQ(after.substr(4, 196), before.substr(4, 196));
  EXPECT_EQ(after.substr(200), std::string(16, '\0'));
  EXPECT_EQ(Reports(), Lines{});
}

TEST_F(ObjDefinitionTest, AnOversized136IsCutToSizeWithoutZeroing) {
  MHandle handle = Record(136, 240);
  const std::string before = BytesOf(handle);
  EXPECT_TRUE(NormalizeDefinition(handle));
  EXPECT_EQ(BytesOf(handle), LittleEndian32(138) + before.substr(4, 212));
  EXPECT_EQ(Reports(), Lines{});
}

TEST_F(ObjDefinitionTest, ShortCurrentRecordIsFilled) {
  MHandle handle = Record(138, 210);
  const std::string before = BytesOf(handle);
  EXPECT_FALSE(NormalizeDefinition(handle));
  EXPECT_EQ(Reports(), Lines{"122 : filling in defn with zeroes."});
  EXPECT_EQ(BytesOf(handle), before + std::string(6, '\0'));
}

TEST_F(ObjDefinitionTest, LongCurrentRecordIsTruncated) {
  MHandle handle = Record(138, 230);
  const std::string before = BytesOf(handle);
  EXPECT_FALSE(NormalizeDefinition(handle));
  EXPECT_EQ(Reports(), Lines{"130 : truncating defn."});
  EXPECT_EQ(BytesOf(handle), before.substr(0, 216));
}

TEST_F(ObjDefinitionTest, UnknownVersionIsReportedAndOnlySized) {
  MHandle current = Record(139, 216);
  const std::string before = BytesOf(current);
  EXPECT_FALSE(NormalizeDefinition(current));
  EXPECT_EQ(Reports(), Lines{"112 : bad version"});
  EXPECT_EQ(BytesOf(current), before);

  fReports.Clear();
  MHandle shortOne = Record(135, 100);
  EXPECT_FALSE(NormalizeDefinition(shortOne));
  EXPECT_EQ(Reports(), (Lines{"112 : bad version", "122 : filling in defn with zeroes."}));
  EXPECT_EQ(Version(shortOne), 135);
  EXPECT_EQ(GetMHandleSize(shortOne), 216);
}

TEST_F(ObjDefinitionTest, RecordsTooShortForAVersionCountAsVersionZero) {
  MHandle empty = Handle("");
  EXPECT_FALSE(NormalizeDefinition(empty));
  EXPECT_EQ(Reports(), (Lines{"112 : bad version", "122 : filling in defn with zeroes."}));
  EXPECT_EQ(BytesOf(empty), std::string(216, '\0'));

  // 136 in three bytes is not a version.
  fReports.Clear();
  MHandle three = Handle(std::string("\x88\0\0", 3));
  EXPECT_FALSE(NormalizeDefinition(three));
  EXPECT_EQ(Reports(), (Lines{"112 : bad version", "122 : filling in defn with zeroes."}));
  EXPECT_EQ(BytesOf(three), std::string("\x88", 1) + std::string(215, '\0'));
}

TEST_F(ObjDefinitionTest, AFailedResizeLeavesTheRecordAtItsSize) {
  MHandle current = Record(138, 210);
  const std::string before = BytesOf(current);
  MHandleFailAllocations(1);
  EXPECT_FALSE(NormalizeDefinition(current));
  EXPECT_EQ(Reports(), Lines{"122 : filling in defn with zeroes."});
  EXPECT_EQ(BytesOf(current), before);

  // An upgrade whose two resizes both fail: the version is new, the record
  // keeps its size and only the odd byte at its end is dropped.
  fReports.Clear();
  MHandle old = Record(136, 151);
  const std::string oldBytes = BytesOf(old);
  MHandleFailAllocations(2);
  EXPECT_TRUE(NormalizeDefinition(old));
  EXPECT_EQ(Reports(), Lines{"122 : filling in defn with zeroes."});
  EXPECT_EQ(BytesOf(old), LittleEndian32(138) + oldBytes.substr(4, 146) + std::string(1, '\0'));

  // A locked record cannot be resized at all.
  fReports.Clear();
  MHandle locked = Record(138, 100);
  const std::string lockedBytes = BytesOf(locked);
  LockMHandle(locked);
  NormalizeDefinition(locked);
  UnlockMHandle(locked);
  EXPECT_EQ(BytesOf(locked), lockedBytes);
}

TEST_F(ObjDefinitionTest, NullHandleChangesNothing) {
  EXPECT_FALSE(NormalizeDefinition(nullptr));
  DefinitionSorts sorts;
  EXPECT_FALSE(ReadDefinitionSorts(nullptr, &sorts));
  EXPECT_FALSE(WriteDefinitionSorts(nullptr, sorts));
}

TEST_F(ObjDefinitionTest, SwizzleOnlyReports) {
  std::string bytes = LittleEndian32(136) + "abcdef";
  const std::string before = bytes;
  SwizzleDefinition(bytes.data(), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(bytes, before);
  EXPECT_EQ(Reports(), Lines{"13 : swizzle disabled for now"});
}

TEST_F(ObjDefinitionTest, SortFieldsAreLittleEndianAtTheirOffsets) {
  MHandle handle = Handle(std::string(216, '\0'));
  DefinitionSorts sorts;
  sorts.fRoom = 0x0102;
  sorts.fFunction = -2;
  sorts.fSubsort = 16;
  sorts.fDowntown = 304;
  ASSERT_TRUE(WriteDefinitionSorts(handle, sorts));
  const std::string bytes = BytesOf(handle);
  EXPECT_EQ(bytes.substr(78, 4), std::string("\x02\x01\xFE\xFF", 4));
  EXPECT_EQ(bytes.substr(188, 4), std::string("\x10\x00\x30\x01", 4));

  DefinitionSorts read;
  ASSERT_TRUE(ReadDefinitionSorts(handle, &read));
  EXPECT_EQ(read.fRoom, 0x0102);
  EXPECT_EQ(read.fFunction, -2);
  EXPECT_EQ(read.fSubsort, 16);
  EXPECT_EQ(read.fDowntown, 304);
}

TEST_F(ObjDefinitionTest, FieldsBeyondAShortRecordReadZeroAndAreNotWritten) {
  // Room and function sort fit; subsort and downtown sort do not.
  std::string bytes(82, '\x11');
  MHandle handle = Handle(bytes);
  DefinitionSorts sorts;
  ASSERT_TRUE(ReadDefinitionSorts(handle, &sorts));
  EXPECT_EQ(sorts.fRoom, 0x1111);
  EXPECT_EQ(sorts.fSubsort, 0);
  sorts.fDowntown = 8;
  sorts.fRoom = 4;
  ASSERT_TRUE(WriteDefinitionSorts(handle, sorts));
  EXPECT_EQ(GetMHandleSize(handle), 82);
  EXPECT_EQ(BytesOf(handle).substr(78, 2), std::string("\x04\x00", 2));

  // The group fields of a record that ends inside the slot.
  MHandle group = Handle(std::string("\x8a\0\0\0", 4) + std::string(16, '\0') + std::string("\x05\x00\xFF", 3));
  int16_t id = 0;
  int16_t slot = 7;
  ASSERT_TRUE(ReadDefinitionGroup(group, &id, &slot));
  EXPECT_EQ(id, 5);
  EXPECT_EQ(slot, 0);

  // An empty handle's lock address is never touched.
  MHandle empty = Handle("");
  EXPECT_TRUE(ReadDefinitionSorts(empty, &sorts));
  EXPECT_EQ(sorts.fRoom, 0);
  EXPECT_TRUE(WriteDefinitionSorts(empty, sorts));

  EXPECT_EQ(ReadDefinitionWord(bytes.data(), 82, 81), 0);
  EXPECT_EQ(ReadDefinitionWord(bytes.data(), 82, -1), 0);
  EXPECT_EQ(ReadDefinitionLong(bytes.data(), 82, 0x7FFFFFFE), 0);
  EXPECT_FALSE(WriteDefinitionLong(bytes.data(), 82, 80, 1));
  EXPECT_EQ(bytes, std::string(82, '\x11'));
}

}  // namespace
