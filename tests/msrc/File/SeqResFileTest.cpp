// File groups on a scratch drive: which components a path reaches, what Open
// chains and routes, Create and Delete over several files, and who deletes
// the member files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "msrc/File/ObjResFile.h"
#include "msrc/File/SeqResFile.h"
#include "msrc/File/StdResFile.h"
#include "tests/msrc/File/FakeResFile.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ResType kSpr = MakeResType("SPR#");

int32_t CountLiveFiles() {
  int32_t count = 0;
  for (iResFile* f = iResFile::FirstLiveFile(); f != nullptr; f = f->NextLiveFile()) ++count;
  return count;
}

// The component path of a path, or "-" when the component does not apply.
std::string ComponentPathOf(int32_t kind, const char* extension, const char* path) {
  Path out("stale");
  if (!SeqResFile::ComponentPath(kind, FixedStringBuffer<8>(extension), Path(path), &out)) {
    EXPECT_STREQ(out.Text(), "");
    return "-";
  }
  return out.Text();
}

class FileGroupTest : public IFF2Fixture {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fLiveFiles = CountLiveFiles();
  }
  void TearDown() override {
    EXPECT_EQ(CountLiveFiles(), fLiveFiles);
    IFF2Fixture::TearDown();
  }

  // A generation-2 file at x/<name> holding one resource.
  void WriteIff(const char* name, const char* type, int16_t id, const char* payload) const {
    IFF2Builder built;
    built.Block(type, id, 0, "", payload);
    fDrive.WriteFile(std::string("x/") + name, built.Bytes());
  }

  // The extensions of the members' paths, in chain order.
  static std::vector<std::string> MemberExtensions(ChainResFile& group) {
    std::vector<std::string> extensions;
    for (int16_t i = 0; i < group.CountFiles(); ++i) {
      Path path;
      group.GetFile(i)->GetPath(&path);
      const std::string text = path.Text();
      extensions.push_back(text.substr(text.rfind('.')));
    }
    return extensions;
  }

  // The ids of a type in the file at x/<name>, opened on its own.
  std::vector<int16_t> IdsIn(const char* name, ResType type) {
    IFFResFile2 file;
    EXPECT_EQ(file.Open(Path((std::string("c:\\x\\") + name).c_str())), 0);
    std::vector<int16_t> ids;
    for (int16_t index = 1; index <= file.CountResources(type); ++index) {
      int16_t id = 0;
      file.GetResID(file.GetIndResource(type, index, nullptr), &id);
      ids.push_back(id);
    }
    file.Close();
    return ids;
  }

  // Adds a fresh resource through the group and leaves it there.
  static void Add(iResFile& group, ResType type, int16_t id) {
    MHandle handle = MakeHandle("payload");
    group.AddResource(handle, type, id, Name(""), true);
    EXPECT_EQ(group.Error(), 0);
  }

  int32_t fLiveFiles = 0;
};

TEST(ComponentPathTest, WhichComponentsAPathReaches) {
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\x\\chair"), "c:\\x\\chair.iff");
  EXPECT_EQ(ComponentPathOf(3, ".dir", "c:\\x\\chair"), "c:\\x\\chair.dir");
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\x\\chair.IFF"), "c:\\x\\chair.IFF");
  EXPECT_EQ(ComponentPathOf(2, ".IFF", "c:\\x\\chair.iff"), "c:\\x\\chair.iff");
  EXPECT_EQ(ComponentPathOf(2, ".spf", "c:\\x\\chair.iff"), "-");
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\x\\chair.if"), "-");
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\x\\chair."), "-");
  // A dot in the folder is no extension.
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\a.b\\c"), "c:\\a.b\\c.iff");
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:/a.b/c"), "c:/a.b/c.iff");
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\a.b\\c.iff"), "c:\\a.b\\c.iff");
  // No name, no path.
  EXPECT_EQ(ComponentPathOf(2, ".iff", "c:\\a.b\\"), "-");
  EXPECT_EQ(ComponentPathOf(2, ".iff", ""), "-");
  EXPECT_EQ(ComponentPathOf(2, ".iff", ".iff"), ".iff");
  // Components that have no path at all.
  EXPECT_EQ(ComponentPathOf(0, ".iff", "c:\\x\\chair"), "-");
  EXPECT_EQ(ComponentPathOf(2, ".", "c:\\x\\chair"), "-");
  EXPECT_EQ(ComponentPathOf(2, "", "c:\\x\\chair"), "-");
  EXPECT_EQ(ComponentPathOf(2, "iff", "c:\\x\\chair"), "-");
  EXPECT_EQ(ComponentPathOf(2, "x.iff", "c:\\x\\chair"), "-");
  // A component path that would not fit is none, rather than a cut one.
  const std::string longest(255, 'n');
  EXPECT_EQ(ComponentPathOf(2, ".iff", longest.c_str()), longest + ".iff");
  const std::string tooLong(256, 'n');
  EXPECT_EQ(ComponentPathOf(2, ".iff", tooLong.c_str()), "-");
}

TEST(ComponentTableTest, TablesAndLimits) {
  ObjResFile objects;
  ASSERT_EQ(objects.CountComponents(), 4);
  std::vector<std::string> table;
  for (int32_t i = 0; i < objects.CountComponents(); ++i)
    table.push_back(std::to_string(objects.ComponentKind(i)) + objects.ComponentExtension(i));
  EXPECT_THAT(table, ElementsAre("2.iff", "2.spf", "2.stx", "3.dir"));

  StdResFile standard;
  table.clear();
  for (int32_t i = 0; i < standard.CountComponents(); ++i)
    table.push_back(std::to_string(standard.ComponentKind(i)) + standard.ComponentExtension(i));
  EXPECT_THAT(table, ElementsAre("2.iff", "2.spf", "2.stx", "1.iff", "1.spf", "1.stx", "3.dir"));
  EXPECT_EQ(standard.ComponentKind(7), SeqResFile::kKindNone);

  AssertRecorder reports;
  SeqResFile group;
  group.AddComponent(4, ".iff");
  group.AddComponent(-1, ".iff");
  EXPECT_EQ(group.CountComponents(), 0);
  ASSERT_EQ(reports.Count(), 2u);
  EXPECT_NE(reports.Reports()[1].find("bad file type"), std::string::npos);
  for (int i = 0; i < 17; ++i) group.AddComponent(2, ".iff");
  EXPECT_EQ(group.CountComponents(), 16);
  ASSERT_EQ(reports.Count(), 3u);
  EXPECT_NE(reports.Reports()[2].find("not enough space for types"), std::string::npos);
  EXPECT_NE(reports.Reports()[2].find("msrc/File/SeqResFile"), std::string::npos);

  group.ClearComponents();
  EXPECT_EQ(group.CountComponents(), 0);
  group.AddComponent(2, ".toolong");
  EXPECT_STREQ(group.ComponentExtension(0), ".toolon");
}

TEST_F(FileGroupTest, ObjectGroupOnAMappedIffFile) {
  IFF2Builder built;
  built.Block("OBJD", 1, 0, "", "a");
  built.Block("OBJD", 2, 0, "", "b");
  built.Block("STR#", 1, 0, "", "s");
  WriteFile(built.Bytes());
  WriteIff("t.spf", "SPR#", 1, "sprite");

  ObjResFile group;
  ASSERT_EQ(group.Open(fPath), 0);
  ASSERT_EQ(group.CountFiles(), 1);
  EXPECT_THAT(MemberExtensions(group), ElementsAre(".iff"));
  EXPECT_THAT(group.MemberTypes(0), IsEmpty());
  EXPECT_TRUE(group.MemberProhibitive(0));
  EXPECT_EQ(group.CountResources(kObjd), 2);
  EXPECT_EQ(group.CountResources(kSpr), 0);
  EXPECT_EQ(CountLiveFiles(), fLiveFiles + 2);

  Path path("kept");
  group.GetPath(&path);
  EXPECT_STREQ(path.Text(), "c:\\x\\t");
}

TEST_F(FileGroupTest, ObjectGroupOnAFileEntryChainsEveryComponent) {
  WriteIff("t.stx", "STR#", 3, "strings");
  WriteIff("t.iff", "OBJD", 1, "object");
  WriteIff("t.spf", "SPR#", 2, "sprite");
  fDrive.WriteFile("x/t.dir", "not a folder");

  ObjResFile group;
  ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
  EXPECT_THAT(MemberExtensions(group), ElementsAre(".iff", ".spf", ".stx"));
  EXPECT_EQ(group.CountTypes(), 3);
  EXPECT_EQ(BytesOf(group.GetResource(kStrs, 3, nullptr)), "strings");
  EXPECT_EQ(BytesOf(group.GetIndResource(kSpr, 1, nullptr)), "sprite");
  Path path;
  group.GetPath(&path);
  EXPECT_STREQ(path.Text(), "c:\\x\\t");

  // Reopening closes the members first; the extension matches in any case.
  ASSERT_EQ(group.Open(Path("c:\\x\\t.SPF")), 0);
  EXPECT_THAT(MemberExtensions(group), ElementsAre(".spf"));
  EXPECT_EQ(CountLiveFiles(), fLiveFiles + 2);
}

TEST_F(FileGroupTest, AFolderWithADotInItsName) {
  fDrive.MakeFolder("a.b");
  IFF2Builder built;
  built.Block("OBJD", 9, 0, "", "dotted");
  fDrive.WriteFile("a.b/c.iff", built.Bytes());

  ObjResFile group;
  ASSERT_EQ(group.Open(Path("c:\\a.b\\c")), 0);
  EXPECT_EQ(BytesOf(group.GetResource(kObjd, 9, nullptr)), "dotted");
  Path path;
  group.GetPath(&path);
  EXPECT_STREQ(path.Text(), "c:\\a.b\\c");
  EXPECT_EQ(group.Open(Path("c:\\a.b\\")), kResErrNoComponent);
  EXPECT_EQ(group.CountFiles(), 0);
}

TEST_F(FileGroupTest, WhenNoComponentOpens) {
  WriteIff("t.iff", "OBJD", 1, "object");
  ObjResFile group;
  EXPECT_EQ(group.Open(Path("c:\\x\\t.foo")), kResErrNoComponent);
  EXPECT_EQ(group.Open(Path("c:\\x\\")), kResErrNoComponent);
  EXPECT_EQ(group.Error(), kResErrNoComponent);
  // Nothing there: the last component's own failure (the .dir folder cannot
  // be listed).
  EXPECT_EQ(group.Open(Path("c:\\x\\none")), kResErrAlreadyOpen);
  EXPECT_EQ(group.CountFiles(), 0);
  EXPECT_FALSE(group.ValidFile());
  Path path("kept");
  group.GetPath(&path);
  EXPECT_STREQ(path.Text(), "kept");

  // An .iff that is not a mapped file: the later components do not apply.
  WriteFile("IFF FILE 1.0 and nothing more of the kind at all, padded to size");
  EXPECT_EQ(group.Open(fPath), kResErrNoComponent);
  EXPECT_EQ(group.Open(Path("c:\\x\\t")), kResErrAlreadyOpen);
}

TEST_F(FileGroupTest, StandardGroupRoutesTypesToTheirFiles) {
  WriteIff("t.iff", "OBJD", 1, "object");
  WriteIff("t.spf", "SPR#", 1, "sprite");
  WriteIff("t.stx", "STR#", 1, "strings");
  {
    StdResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    EXPECT_THAT(group.MemberTypes(0),
                ElementsAre(MakeResType("CTSS"), MakeResType("TTAs"), kStrs, kSpr, MakeResType("DGRP"),
                            MakeResType("PALT"), MakeResType("BMP_"), MakeResType("SPR2")));
    EXPECT_TRUE(group.MemberProhibitive(0));
    EXPECT_THAT(group.MemberTypes(1),
                ElementsAre(kSpr, MakeResType("DGRP"), MakeResType("PALT"), MakeResType("BMP_"), MakeResType("SPR2")));
    EXPECT_FALSE(group.MemberProhibitive(1));
    EXPECT_THAT(group.MemberTypes(2), ElementsAre(MakeResType("CTSS"), MakeResType("TTAs"), kStrs));
    EXPECT_FALSE(group.MemberProhibitive(2));
    EXPECT_TRUE(fReports.Reports().empty());

    Add(group, kSpr, 20);
    Add(group, kStrs, 21);
    Add(group, kObjd, 22);
    Add(group, MakeResType("XXXX"), 23);
  }
  EXPECT_THAT(IdsIn("t.spf", kSpr), ElementsAre(1, 20));
  EXPECT_THAT(IdsIn("t.stx", kStrs), ElementsAre(1, 21));
  EXPECT_THAT(IdsIn("t.iff", kObjd), ElementsAre(1, 22));
  EXPECT_THAT(IdsIn("t.iff", MakeResType("XXXX")), ElementsAre(23));
  EXPECT_THAT(IdsIn("t.iff", kSpr), IsEmpty());
}

TEST_F(FileGroupTest, StandardGroupWithoutASpriteFileDoesNotRoute) {
  WriteIff("t.iff", "OBJD", 1, "object");
  WriteIff("t.stx", "STR#", 1, "strings");
  {
    StdResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    EXPECT_THAT(MemberExtensions(group), ElementsAre(".iff", ".stx"));
    EXPECT_THAT(group.MemberTypes(0), IsEmpty());
    EXPECT_THAT(group.MemberTypes(1), IsEmpty());
    Add(group, kStrs, 5);
  }
  EXPECT_THAT(IdsIn("t.iff", kStrs), ElementsAre(5));

  // .iff and .spf without .stx: strings stay with the .iff file.
  fDrive.WriteFile("x/t.stx", "");
  WriteIff("t.spf", "SPR#", 1, "sprite");
  ObjResFile group;
  ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
  EXPECT_THAT(MemberExtensions(group), ElementsAre(".iff", ".spf"));
  EXPECT_EQ(group.MemberTypes(0).size(), 5u);
  EXPECT_EQ(group.CanWriteType(kStrs), 1);
  EXPECT_TRUE(group.MemberAccepts(0, kStrs));
  EXPECT_FALSE(group.MemberAccepts(1, kStrs));
}

TEST_F(FileGroupTest, CreateMakesEveryComponentOnce) {
  StdResFile group;
  EXPECT_EQ(group.Create(Path("c:\\x\\new")), 0);
  EXPECT_TRUE(fReports.Reports().empty());
  for (const char* name : {"new.iff", "new.spf", "new.stx"}) {
    EXPECT_TRUE(fDrive.FileExists(std::string("x/") + name)) << name;
    EXPECT_THAT(IdsIn(name, kObjd), IsEmpty());
  }
  EXPECT_FALSE(fDrive.FileExists("x/new.dir"));
  EXPECT_EQ(CountLiveFiles(), fLiveFiles + 1);

  // One component by its extension.
  EXPECT_EQ(group.Create(Path("c:\\x\\one.STX")), 0);
  EXPECT_TRUE(fDrive.FileExists("x/one.STX"));
  EXPECT_FALSE(fDrive.FileExists("x/one.iff"));
  EXPECT_EQ(group.Create(Path("c:\\x\\one.foo")), kResErrNoComponent);
  // Everything there already: no report, just the answer.
  EXPECT_EQ(group.Create(Path("c:\\x\\new.iff")), kResErrFileExists);
  EXPECT_TRUE(fReports.Reports().empty());
}

TEST_F(FileGroupTest, CreateOverAnExistingComponent) {
  fDrive.WriteFile("x/half.spf", "existing");
  ObjResFile group;
  EXPECT_EQ(group.Create(Path("c:\\x\\half")), kResErrFileExists);
  EXPECT_TRUE(Reported("oh no. created a file where some components already exist."));
  EXPECT_TRUE(Reported("(!createCnt)"));
  EXPECT_TRUE(fDrive.FileExists("x/half.iff"));
  EXPECT_EQ(fDrive.ReadFile("x/half.spf"), "existing");
  EXPECT_FALSE(fDrive.FileExists("x/half.stx"));
}

TEST_F(FileGroupTest, DeleteRemovesEveryComponent) {
  WriteIff("t.iff", "OBJD", 1, "object");
  WriteIff("t.stx", "STR#", 1, "strings");
  ObjResFile group;
  EXPECT_EQ(group.Delete(Path("c:\\x\\t.foo")), kResErrNoComponent);
  EXPECT_EQ(group.Delete(Path("c:\\x\\t")), 0);
  EXPECT_FALSE(fDrive.FileExists("x/t.iff"));
  EXPECT_FALSE(fDrive.FileExists("x/t.stx"));
  EXPECT_NE(group.Delete(Path("c:\\x\\t")), 0);
  EXPECT_TRUE(fReports.Reports().empty());
}

TEST_F(FileGroupTest, MembersAreDeletedAtCloseAndDestruction) {
  WriteIff("t.iff", "OBJD", 1, "object");
  WriteIff("t.spf", "SPR#", 1, "sprite");
  WriteIff("t.stx", "STR#", 1, "strings");
  auto group = std::make_unique<ObjResFile>();
  ASSERT_EQ(group->Open(Path("c:\\x\\t")), 0);
  EXPECT_EQ(CountLiveFiles(), fLiveFiles + 4);
  ASSERT_NE(group->GetResource(kObjd, 1, nullptr), nullptr);
  EXPECT_EQ(group->Close(), 0);
  EXPECT_EQ(group->CountFiles(), 0);
  EXPECT_EQ(CountLiveFiles(), fLiveFiles + 1);

  ASSERT_EQ(group->Open(Path("c:\\x\\t")), 0);
  ASSERT_NE(group->GetResource(kObjd, 1, nullptr), nullptr);
  group.reset();
  EXPECT_EQ(CountLiveFiles(), fLiveFiles);
  EXPECT_TRUE(fReports.Reports().empty());
}

TEST_F(FileGroupTest, AFileAddedByTheCallerIsNotDeleted) {
  WriteIff("t.iff", "OBJD", 1, "object");
  FakeResFile outsider;
  outsider.Open(Path("c:\\fake"));
  {
    ObjResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    group.AddFile(&outsider);
    EXPECT_EQ(group.Close(), 0);
    EXPECT_FALSE(outsider.ValidFile());
    outsider.Open(Path("c:\\fake"));
    group.AddFile(&outsider);
  }
  EXPECT_TRUE(outsider.ValidFile());
  outsider.Close();
}

TEST_F(FileGroupTest, ASavedDefinitionIsOnDiskOnceTheGroupIsGone) {
  WriteIff("t.iff", "OBJD", 7, "before");
  WriteIff("t.stx", "STR#", 1, "strings");
  {
    ObjResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    MHandle handle = group.GetResource(kObjd, 7, nullptr);
    ASSERT_NE(handle, nullptr);
    std::memcpy(LockMHandle(handle), "AFTER!", 6);
    UnlockMHandle(handle);
    group.WriteResource(handle);
    EXPECT_EQ(group.Error(), 0);
  }
  IFFResFile2 check;
  ASSERT_EQ(check.Open(Path("c:\\x\\t.iff")), 0);
  EXPECT_EQ(BytesOf(check.GetResource(kObjd, 7, nullptr)), "AFTER!");
  check.Close();
}

}  // namespace
