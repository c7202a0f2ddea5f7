#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "msrc/File/IFFResMap.h"
#include "msrc/File/Recon.h"
#include "msrc/File/SimpleReconObject.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

ResMapEntry* Add(IFFResMap& map, ResType type, int16_t id, uint8_t language, const char* name) {
  ResMapEntry* entry = map.AddEntry(type);
  entry->fId = id;
  entry->fFlags = static_cast<uint16_t>(language << 8);
  entry->fName.Assign(name);
  return entry;
}

void Decode(IFFResMap& map, const std::string& bytes) {
  MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
  std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
  UnlockMHandle(handle);
  SimpleReconObject<IFFResMap> object(&map, IFFResMap::kType);
  ReconFromHandle(object, handle);
  DisposeMHandle(handle);
}

TEST(IFFResMapTest, LookupsByIdLanguageNameAndIndex) {
  IFFResMap map;
  ResMapEntry* french = Add(map, kObjd, 7, 3, "Chaise");
  ResMapEntry* chair = Add(map, kObjd, 7, 0, "Chair");
  Add(map, kStrs, 200, 0, "");
  EXPECT_EQ(map.FindDefault(kObjd, 7), chair);
  EXPECT_EQ(map.FindLanguage(kObjd, 7, 3), french);
  EXPECT_EQ(map.FindLanguage(kObjd, 7, 4), chair);
  EXPECT_EQ(map.FindByName(kObjd, Name("cHAIR")), chair);
  EXPECT_EQ(map.FindByName(kObjd, Name("chaise")), nullptr);
  EXPECT_EQ(map.ByIndex(kObjd, 1), french);
  EXPECT_EQ(map.ByIndex(kObjd, 3), nullptr);
  EXPECT_EQ(map.TypeByIndex(2), kStrs);
  EXPECT_EQ(map.LargestId(kObjd, 128), 128);
  EXPECT_EQ(map.LargestId(kStrs, 128), 200);
  EXPECT_EQ(map.FindByHandle(nullptr, nullptr), nullptr);
}

TEST(IFFResMapTest, RemovalsAndMovesReportWhatTheyCannotDo) {
  AssertRecorder reports;
  IFFResMap map;
  ResMapEntry* one = Add(map, kObjd, 1, 0, "");
  one->fOffset = 500;
  ResMapEntry other;
  map.RemoveEntry(&other);
  ASSERT_EQ(reports.Count(), 1u);
  EXPECT_NE(reports.Reports()[0].find("node not found"), std::string::npos);
  map.AdjustOffset(500, -4);
  EXPECT_NE(reports.Reports()[1].find("wasn't expecting things to move the other way"), std::string::npos);
  map.AdjustOffset(500, 100);
  EXPECT_EQ(one->fOffset, 400);
  map.RemoveEntry(one);
  EXPECT_EQ(map.CountTypes(), 0);
}

TEST(IFFResMapTest, ADecodeSizesNothingByCountsItsPayloadCannotHold) {
  const int32_t handles = CountLiveMHandles();
  IFFResMap map;
  const std::string head = IFF2Builder::MapPayload(9, {}).substr(0, 16);
  Decode(map, head + IFF2Builder::LittleEndian32(0x7FFFFFFF) + "DJBO" + IFF2Builder::LittleEndian32(0x7FFFFFFF));
  EXPECT_EQ(map.InvalidTotal(), 9);
  EXPECT_LE(map.CountTypes(), 1);
  EXPECT_EQ(map.CountEntries(kObjd), 0);
  EXPECT_TRUE(map.DecodedShort());

  Decode(map, IFF2Builder::MapPayload(5, {{"OBJD", {{64, 2, 0x0310, "x"}}}}));
  EXPECT_FALSE(map.DecodedShort());
  ASSERT_EQ(map.CountEntries(kObjd), 1);
  const ResMapEntry* entry = map.ByIndex(kObjd, 1);
  EXPECT_EQ(entry->fOffset, 64);
  EXPECT_EQ(entry->fFlags, 0x0310);
  EXPECT_EQ(entry->fStoredFlags, 0x0310);
  EXPECT_STREQ(entry->fName.Text(), "x");
  EXPECT_EQ(CountLiveMHandles(), handles);
}

}  // namespace
