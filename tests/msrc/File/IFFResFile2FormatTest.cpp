// The bytes a generation-2 IFF file holds: file header, block headers, free
// space and the resource map, checked against IFF2Builder's own layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "msrc/File/IFFBlockHeader.h"
#include "msrc/File/IFFFileHeader.h"
#include "msrc/File/IFFResFile2.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

std::string BytesOf(const IFFFileHeader& header) {
  return std::string(reinterpret_cast<const char*>(header.Bytes()), IFFFileHeader::kSize);
}

std::string BytesOf(const IFFBlockHeader& header) {
  uint8_t bytes[IFFBlockHeader::kSize];
  header.ToBytes(bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TEST(IFFFileHeaderTest, GenerationTwoHeaderCarriesTheMapOffsetBigEndian) {
  const IFFFileHeader header = IFFFileHeader::Version2(2, 5, 0x01020304);
  EXPECT_EQ(BytesOf(header),
            std::string("IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 ODREN VASKHOLM & KORVA 1\x01\x02\x03\x04", 64));
  EXPECT_TRUE(header.MatchesVersion2Pattern());
  EXPECT_FALSE(header.IsVersion1());
  EXPECT_EQ(header.Major(), 2);
  EXPECT_EQ(header.Minor(), 5);
  EXPECT_EQ(header.MapOffset(), 0x01020304u);
}

TEST(IFFFileHeaderTest, GenerationOneIsExactGenerationTwoIsAPattern) {
  const IFFFileHeader one = IFFFileHeader::Version1();
  EXPECT_EQ(BytesOf(one), std::string("IFF FILE 1.0:TYPE FOLLOWED BY SIZE\0 ODREN VASKHOLM & KORVA 1996\0", 64));
  EXPECT_TRUE(one.IsVersion1());
  EXPECT_TRUE(one.MatchesVersion2Pattern());  // the version digits tell them apart

  std::string bytes = BytesOf(one);
  bytes[62] = '7';
  EXPECT_FALSE(IFFFileHeader::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data())).IsVersion1());
  bytes = IFF2Builder::FileHeader('2', '7', 0xFFFFFFFF);
  EXPECT_TRUE(IFFFileHeader::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data())).MatchesVersion2Pattern());
  bytes[20] = 'x';
  EXPECT_FALSE(IFFFileHeader::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data())).MatchesVersion2Pattern());
}

TEST(IFFBlockHeaderTest, FieldsAreBigEndianAndTheNameZeroPadded) {
  IFFBlockHeader header;
  header.fType = kObjd;
  header.fSize = 0x1234;
  header.fId = -2;
  header.fFlags = 0x0310;
  EXPECT_TRUE(header.SetName(Name("chair")));
  const std::string bytes = BytesOf(header);
  EXPECT_EQ(bytes.substr(0, 17), std::string("OBJD\x00\x00\x12\x34\xFF\xFE\x03\x10" "chair", 17));
  EXPECT_EQ(bytes, IFF2Builder::BlockHeader("OBJD", 0x1234, -2, 0x0310, "chair"));
  const IFFBlockHeader back = IFFBlockHeader::FromBytes(reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(back.fType, kObjd);
  EXPECT_EQ(back.fSize, 0x1234);
  EXPECT_EQ(back.fId, -2);
  EXPECT_EQ(back.Language(), 3);
  EXPECT_EQ(BytesOf(back), bytes);
}

TEST(IFFBlockHeaderTest, NamesStopAtSixtyThreeCharacters) {
  IFFBlockHeader header;
  FixedStringBuffer<100> longName(std::string(70, 'n').c_str());
  EXPECT_FALSE(header.SetName(longName));
  const std::string bytes = BytesOf(header);
  EXPECT_EQ(bytes.substr(12, 63), std::string(63, 'n'));
  EXPECT_EQ(bytes[75], '\0');

  // A field without a zero still reads as at most 63 characters.
  std::string raw = IFF2Builder::BlockHeader("OBJD", 76, 1, 0, "");
  raw.replace(12, 64, std::string(64, 'q'));
  Name name;
  IFFBlockHeader::FromBytes(reinterpret_cast<const uint8_t*>(raw.data())).GetName(&name);
  EXPECT_EQ(std::string(name.Text()), std::string(63, 'q'));
}

TEST(IFFBlockHeaderTest, FreeBlocksAndBelievableSizes) {
  const IFFBlockHeader free = IFFBlockHeader::Free(100);
  EXPECT_EQ(BytesOf(free), IFF2Builder::BlockHeader("XXXX", 100, 0, 0x0004, ""));
  EXPECT_TRUE(free.IsFree());
  IFFBlockHeader header;
  for (const auto& [size, plausible] : {std::pair{75, false}, {76, true}, {0x40000000, true}, {0x40000001, false},
                                        {-1, false}}) {
    header.fSize = size;
    EXPECT_EQ(header.HasPlausibleSize(), plausible) << size;
  }
}

class IFFResFile2BytesTest : public IFF2Fixture {};

TEST_F(IFFResFile2BytesTest, CreateLeavesOnlyTheVersion25Header) {
  IFFResFile2 file;
  ASSERT_EQ(file.Create(fPath), 0);
  EXPECT_FALSE(file.ValidFile());
  EXPECT_EQ(ReadFile(), IFF2Builder::FileHeader('2', '5', 0));
  EXPECT_EQ(file.Create(fPath), kResErrFileExists);
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.Create(Path("c:\\x\\other.iff")), kResErrAlreadyOpen);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(), IFF2Builder::FileHeader('2', '5', 0));
}

TEST_F(IFFResFile2BytesTest, WrittenBlockAndClosedFileWithItsMap) {
  IFFResFile2 file;
  ASSERT_EQ(file.Create(fPath), 0);
  ASSERT_EQ(file.Open(fPath), 0);
  file.AddResource(MakeHandle("abc"), kObjd, 1, Name("chairs"), false);
  file.AddLangResource(MakeHandle("de"), kStrs, 7, Name(""), 3, true);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(ReadFile().size(), 64u);  // nothing is written before WriteResource
  file.WriteResource(file.GetResource(kObjd, 1, nullptr));
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(ReadFile(), IFF2Builder::FileHeader('2', '5', 0) + IFF2Builder::BlockHeader("OBJD", 79, 1, 0, "chairs") +
                            "abc");
  ASSERT_EQ(file.Close(), 0);

  IFF2Builder expected;
  expected.Block("OBJD", 1, 0x0000, "chairs", "abc");
  expected.Block("STR#", 7, 0x0310, "", "de");
  const std::string map = IFF2Builder::MapPayload(
      0, {{"OBJD", {{64, 1, 0x0000, "chairs"}}}, {"STR#", {{143, 7, 0x0310, ""}}}});
  expected.SetMapOffset(static_cast<uint32_t>(expected.Block("rsmp", 0, 0x0010, "", map)));
  EXPECT_EQ(ReadFile(), expected.Bytes());
  // "chairs" ends at an odd position, the empty name too: each gets a 0xA3.
  EXPECT_EQ(map.substr(12 + 16, 16), std::string("\x40\0\0\0\x01\0\0\0chairs\0\xA3", 16));
}

TEST_F(IFFResFile2BytesTest, FreeSpaceIsSplitTakenWholeOrPassedOver) {
  IFF2Builder built('2', '0', 0);
  built.Free(200);                      // 64: split for 96, leaving 104 at 160
  built.Block("OBJD", 9, 0, "", "zz");  // 264
  built.Free(96);                       // 342: taken whole
  built.Block("OBJD", 10, 0, "", "yy");  // 438
  built.Free(150);                      // 516: 54 more than 96 is too little to split: passed over
  built.Block("OBJD", 11, 0, "", "xx");  // 666
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.InvalidTotal(), 446);
  for (int16_t id = 1; id <= 3; ++id) {
    MHandle handle = MakeHandle(std::string(20, static_cast<char>('a' + id)));
    file.AddResource(handle, kObjd, id, Name(""), false);
    file.WriteResource(handle);
    ASSERT_EQ(file.Error(), 0);
  }
  EXPECT_EQ(file.InvalidTotal(), 446 - 96 - 96);
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(ReadFile().substr(64, 76), IFF2Builder::BlockHeader("OBJD", 96, 1, 0, ""));
  EXPECT_EQ(reader.At(64)->payload, std::string(20, 'b'));
  EXPECT_EQ(ReadFile().substr(160, 76), IFF2Builder::BlockHeader("XXXX", 104, 0, 0x0004, ""));
  EXPECT_EQ(reader.At(342)->payload, std::string(20, 'c'));
  EXPECT_EQ(reader.At(438)->id, 10);
  EXPECT_TRUE(reader.At(516)->IsFree());
  EXPECT_EQ(reader.At(744)->payload, std::string(20, 'd'));  // appended after the last block
  EXPECT_EQ(file.FreeSpaceHint(), 744);
  file.Close();
}

TEST_F(IFFResFile2BytesTest, AdjacentFreeBlocksAreMergedWhenASearchReachesThem) {
  IFF2Builder built('2', '0', 0);
  built.Free(100);
  built.Free(120);
  built.Block("OBJD", 9, 0, "", "zz");
  WriteFile(built.Bytes());
  IFFResFile2 file;
  ASSERT_EQ(file.Open(fPath), 0);
  MHandle handle = MakeHandle(std::string(144, 'm'));
  file.AddResource(handle, kObjd, 1, Name(""), false);
  file.WriteResource(handle);
  ASSERT_EQ(file.Error(), 0);
  EXPECT_EQ(file.InvalidTotal(), 0);
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.At(64)->size, 220);
  EXPECT_EQ(reader.At(284)->id, 9);
  EXPECT_EQ(ReadFile().size(), built.Bytes().size());
  file.Close();
}

TEST_F(IFFResFile2BytesTest, OnlyVersions20And25AreAccepted) {
  IFFResFile2 file;
  for (const char minor : {'0', '5'}) {
    IFF2Builder built('2', minor, 0xDEADBEEF * (minor == '0'));
    built.Block("OBJD", 1, 0, "", "x");
    WriteFile(built.Bytes());
    ASSERT_EQ(file.Open(fPath), 0) << minor;
    EXPECT_EQ(file.MapOffset(), 0);  // the tail of a 2.0 header means nothing
    EXPECT_EQ(file.CountResources(kObjd), 1);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadFile(), built.Bytes());
  }
  IFF2Builder seven('2', '7', 0);
  WriteFile(seven.Bytes());
  EXPECT_EQ(file.Open(fPath), kResErrNotIff);
  EXPECT_FALSE(file.ValidFile());
  WriteFile(std::string("IFF FILE 1.0:TYPE FOLLOWED BY SIZE\0 ODREN VASKHOLM & KORVA 1996\0", 64));
  EXPECT_EQ(file.Open(fPath), kResErrNotIff);
  WriteFile("IFF FILE 2.5");
  EXPECT_EQ(file.Open(fPath), kResErrShortRead);
}

}  // namespace
