// Damaged generation-1 files: broken chains, blocks past the end of the file
// and names caches of either form that do not hold what they claim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msrc/File/IFFResFile.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

class IFFResFileBadInputTest : public IFF2Fixture {
 protected:
  static std::string NameOf(IFFResFile& file, MHandle handle) {
    Name name;
    file.GetResName(handle, &name);
    return name.Text();
  }

  // Adds and writes a small OBJD; the file's error afterwards.
  static int32_t AddOne(IFFResFile& file, int16_t id) {
    MHandle handle = MakeHandle("added");
    file.AddResource(handle, kObjd, id, Name(""), false);
    file.WriteResource(handle);
    return file.Error();
  }
};

// No reader of this generation gets past a header whose size is below 16, so
// nothing after it can be read: a save that needs space makes those bytes one
// free block to the end of the file, reports it, and goes on.
TEST_F(IFFResFileBadInputTest, AHeaderSizeBelow16EndsTheWalkAndTheBytesBehindBecomeFreeSpace) {
  for (const int32_t size : {0, 8, 15, -16}) {
    IFF1Builder built;
    built.NamesCache({});
    built.Block("OBJD", 1, 0, -1, "seen");
    const int32_t brokenAt = built.Raw(IFF1Builder::BlockHeader("OBJD", size, 2, 0, -1) + "unseen");
    built.Block("OBJD", 3, 0, -1, "unseen too");
    WriteFile(built.Bytes());
    IFFResFile file;
    ASSERT_EQ(file.Open(fPath), 0) << size;
    EXPECT_EQ(file.CountResources(kObjd), 1) << size;
    EXPECT_EQ(AddOne(file, 9), 0) << size;
    EXPECT_TRUE(Reported("iff headers ended before eof"));
    file.Close();
    const std::string left = ReadFile();
    const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(left);
    ASSERT_GE(blocks.size(), 3u) << size;
    EXPECT_EQ(blocks[1].payload, "seen");
    EXPECT_EQ(blocks[2].offset, brokenAt);
    EXPECT_EQ(blocks[2].payload, "added");
    EXPECT_EQ(static_cast<size_t>(blocks.back().offset + blocks.back().size), left.size()) << size;
  }
}

// A resource whose end lies beyond 32 bits is listed, fails to load, and
// ends the walk; nothing can follow it.
TEST_F(IFFResFileBadInputTest, ABlockEndingBeyond32BitsIsListedAndEndsTheWalk) {
  IFF1Builder built;
  built.NamesCache({});
  built.Block("OBJD", 1, 0, -1, "seen");
  built.Raw(IFF1Builder::BlockHeader("OBJD", 0x7FFFFFF0, 2, 0, -1) + "cut");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountResources(kObjd), 2);
  EXPECT_EQ(file.GetResource(kObjd, 2, nullptr), nullptr);
  EXPECT_NE(file.Error(), 0);
  EXPECT_EQ(AddOne(file, 9), IFFResFile::kIFFErrDamaged);
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, FreeSpaceCutShortEndsTheChainAndTheNextAppendGoesThere) {
  IFF1Builder built;
  built.NamesCache({});
  built.Block("OBJD", 1, 0, -1, "one");
  // No more bytes of it than the next append needs.
  const int32_t tail = built.Raw(IFF1Builder::BlockHeader("XXXX", 1000, 0, 0x0004, -1) + "half");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.InvalidTotal(), 0);
  EXPECT_EQ(AddOne(file, 2), 0);
  EXPECT_EQ(file.Close(), 0);
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[2].offset, tail);
  EXPECT_EQ(blocks[2].payload, "added");
  EXPECT_EQ(ReadFile().size(), static_cast<size_t>(tail) + 21u);
  EXPECT_FALSE(Reported("iff headers ended before eof"));
}

TEST_F(IFFResFileBadInputTest, ALongerCutShortTailBecomesAnOrdinaryFreeBlock) {
  IFF1Builder built;
  built.NamesCache({});
  const int32_t tail = built.Raw(IFF1Builder::BlockHeader("XXXX", 5000, 0, 0x0004, -1) + std::string(84, 't'));
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(AddOne(file, 2), 0);
  EXPECT_EQ(file.InvalidTotal(), 100 - 21);
  EXPECT_EQ(file.Close(), 0);
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[1].offset, tail);
  EXPECT_EQ(blocks[1].size, 21);
  EXPECT_TRUE(blocks[2].IsFree());
  EXPECT_EQ(blocks[2].size, 79);
  EXPECT_EQ(ReadFile().size(), built.Bytes().size());
}

TEST_F(IFFResFileBadInputTest, AResourceRunningPastTheEndIsListedButNotLoaded) {
  IFF1Builder built;
  built.NamesCache({});
  built.Block("OBJD", 1, 0, -1, "one");
  built.Raw(IFF1Builder::BlockHeader("OBJD", 0x40000000, 2, 0, -1) + "cut");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountResources(kObjd), 2);
  EXPECT_EQ(file.GetResource(kObjd, 2, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrShortRead);
  EXPECT_EQ(BytesOf(file.GetResource(kObjd, 1, nullptr)), "one");
  EXPECT_EQ(AddOne(file, 9), IFFResFile::kIFFErrDamaged);
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, StrayBytesShorterThanAHeaderAreWrittenOver) {
  IFF1Builder built;
  built.NamesCache({});
  const int32_t stray = built.Raw("junk");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(AddOne(file, 2), 0);
  EXPECT_TRUE(Reported("iff headers ended before eof"));
  file.Close();
  const std::vector<IFF1Builder::Stored> blocks = IFF1Builder::Walk(ReadFile());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].offset, stray);
  EXPECT_EQ(ReadFile().size(), static_cast<size_t>(stray) + 21u);
}

TEST_F(IFFResFileBadInputTest, AHeaderOnlyFileOpensEmpty) {
  WriteFile(IFF1Builder::FileHeader());
  fDrive.MakeReadOnly("x/t.iff");
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.GetIndType(1), 0u);
  EXPECT_EQ(file.Error(), kResErrTypeIndex);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(), IFF1Builder::FileHeader());
}

TEST_F(IFFResFileBadInputTest, ANamesCacheInTheOtherByteOrderIsSwizzled) {
  // Written by a machine of the other order and not marked swizzled.
  std::string payload("\0\0\0\0\0\0\0\0NAME", 12);
  payload += std::string("\0\0\0\x01", 4);
  payload += std::string("\0\0\0\x07seven\0", 10);
  IFF1Builder built;
  built.Block("NAME", 1, 0x0008, -1, payload);
  built.Block("OBJD", 1, 0, 7, "x");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(fReports.Count(), 0u);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "seven");
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, ACorruptNamesCacheGivesTheNamesReadSoFar) {
  std::string payload = IFF1Builder::NamesPayload({{1, "one"}, {2, "two"}});
  payload.replace(12, 4, IFF1Builder::LittleEndian32(0x10000000));
  payload += IFF1Builder::LittleEndian32(3) + "no terminator";
  IFF1Builder built;
  built.Block("NAME", 1, 0x0018, -1, payload);
  built.Block("OBJD", 1, 0, 1, "a");
  built.Block("OBJD", 2, 0, 2, "b");
  built.Block("OBJD", 3, 0, 3, "c");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_FALSE(Reported("no names cache"));
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "one");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 2, nullptr)), "two");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 3, nullptr)), "");
  EXPECT_TRUE(Reported("name index not found"));
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, ANamesCachePastTheEndIsNoNamesCache) {
  IFF1Builder built;
  built.Block("OBJD", 1, 0, 1, "a");
  built.Raw(IFF1Builder::BlockHeader("NAME", 5000, 1, 0x0018, -1) + IFF1Builder::NamesPayload({{1, "one"}}));
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(Reported("no names cache"));
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "");
  EXPECT_EQ(file.NameList()->Count(), 0);
  EXPECT_TRUE(file.NameList()->IsDirty());
  // Nothing can be appended behind a block that runs past the end of the
  // file, so the empty cache has nowhere to go.
  EXPECT_EQ(file.Close(), IFFResFile::kIFFErrDamaged);
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, TheOlderFormWinsAndItsDamageKeepsWhatWasRead) {
  std::string old = IFF1Builder::OldNamesPayload({{1, "older"}, {2, "two"}});
  old += IFF1Builder::LittleEndian32(3) + "\xFF" + "cut";
  IFF1Builder built;
  built.NamesCache({{1, "newer"}});
  built.Block("NAME", 0, 0x0018, -1, old);
  built.Block("OBJD", 1, 0, 1, "a");
  built.Block("OBJD", 2, 0, 2, "b");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "older");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 2, nullptr)), "two");
  EXPECT_EQ(file.NameList()->Count(), 2);
  EXPECT_EQ(fReports.Count(), 0u);
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, AnOlderFormNotMarkedSwizzledIsReportedAndRead) {
  IFF1Builder built;
  built.Block("NAME", 0, 0x0008, -1, IFF1Builder::OldNamesPayload({{1, "old"}}));
  built.Block("OBJD", 1, 0, 1, "a");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_TRUE(Reported("code to swizzle names not implemented"));
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "old");
  file.Close();
  EXPECT_EQ(ReadFile(), built.Bytes());
}

TEST_F(IFFResFileBadInputTest, DuplicateKeysAndNegativeKeysDoNotConfuseLookups) {
  IFF1Builder built;
  built.NamesCache({{-1, "ghost"}, {1, "first"}, {1, "second"}});
  built.Block("OBJD", 1, 0, -1, "unnamed");
  built.Block("OBJD", 2, 0, 1, "named");
  WriteFile(built.Bytes());
  IFFResFile file;
  ASSERT_EQ(file.Open(fPath), 0);
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 1, nullptr)), "");
  EXPECT_EQ(NameOf(file, file.GetResource(kObjd, 2, nullptr)), "first");
  EXPECT_EQ(file.GetNamedResource(kObjd, Name("ghost"), nullptr), nullptr);
  EXPECT_EQ(BytesOf(file.GetNamedResource(kObjd, Name("second"), nullptr)), "named");
  Name name("ghost");
  file.MakeUniqueName(kObjd, &name);
  EXPECT_STREQ(name.Text(), "ghost");
  file.Close();
}

}  // namespace
