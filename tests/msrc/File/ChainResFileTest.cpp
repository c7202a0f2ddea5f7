// ChainResFile over in-memory members: lookups in chain order, the type union,
// handle queries, type routing of new resources and member management; and
// one chain of real IFF mapped files for a replacement that reaches the disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "msrc/File/ChainResFile.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/msrc/File/FakeResFile.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ResType kBmp = MakeResType("BMP_");

MHandle NewHandle(const std::string& bytes) {
  MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) {
    std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
    UnlockMHandle(handle);
  }
  return handle;
}

std::string Bytes(MHandle handle) {
  if (handle == nullptr) return "<null>";
  const int32_t size = GetMHandleSize(handle);
  if (size == 0) return "";
  std::string bytes(static_cast<const char*>(LockMHandle(handle)), static_cast<size_t>(size));
  UnlockMHandle(handle);
  return bytes;
}

// Three open fake members a, b, c; none is in the chain until a test adds it.
class ChainResFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fLiveHandles = CountLiveMHandles();
    for (FakeResFile* file : {&fA, &fB, &fC}) file->Open(FixedStringBuffer<16>("c:\\fake"));
  }
  void TearDown() override {
    for (FakeResFile* file : {&fA, &fB, &fC}) file->Close();
    EXPECT_EQ(CountLiveMHandles(), fLiveHandles);
    EXPECT_FALSE(Reported("bad MHandle free"));
  }

  void Chain(std::initializer_list<FakeResFile*> files) {
    for (FakeResFile* file : files) fChain.AddFile(file);
  }

  bool Reported(const std::string& message) const {
    for (const std::string& report : fReports.Reports()) {
      if (report.find(message) != std::string::npos) return true;
    }
    return false;
  }

  AssertRecorder fReports;
  FakeResFile fA;
  FakeResFile fB;
  FakeResFile fC;
  ChainResFile fChain;
  int32_t fLiveHandles = 0;
};

TEST_F(ChainResFileTest, EmptyChainAnswers) {
  EXPECT_FALSE(fChain.ValidFile());
  EXPECT_FALSE(fChain.IsWritable());
  EXPECT_EQ(fChain.CountTypes(), 0);
  EXPECT_EQ(fChain.GetIndType(1), 0u);
  EXPECT_EQ(fChain.Error(), kResErrTypeIndex);
  EXPECT_EQ(fChain.CountResources(kObjd), 0);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fChain.GetResource(kObjd, 1, nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNotFound);
  EXPECT_EQ(fChain.GetNamedResource(kObjd, Name("x"), nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNotFound);
  EXPECT_EQ(fChain.GetIndResource(kObjd, 1, nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNotFound);
  EXPECT_EQ(fChain.UniqueID(kObjd), 0);
  EXPECT_EQ(fChain.Error(), 0);

  MHandle mine = NewHandle("x");
  fChain.WriteResource(mine);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  EXPECT_FALSE(fChain.IsSwizzled(mine));
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  EXPECT_EQ(fChain.GetResType(mine), 0u);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  fChain.AddResource(mine, kObjd, 1, Name(""), false);
  EXPECT_EQ(fChain.Error(), kResErrNoMemberTook);
  EXPECT_EQ(fChain.CanWriteType(kObjd), 0);
  DisposeMHandle(mine);

  EXPECT_EQ(fChain.Close(), 0);
  EXPECT_EQ(fChain.Open(Path("c:\\x")), kResErrUnsupported);
  EXPECT_EQ(fChain.Create(Path("c:\\x")), kResErrUnsupported);
  EXPECT_EQ(fChain.Delete(Path("c:\\x")), kResErrUnsupported);
  Path path("kept");
  fChain.GetPath(&path);
  EXPECT_STREQ(path.Text(), "kept");
  EXPECT_EQ(fChain.Error(), kResErrUnsupported);
  fChain.Reserved2(nullptr);
  EXPECT_EQ(fChain.Error(), kResErrUnsupported);
}

TEST_F(ChainResFileTest, IndexesRunThroughTheMembersInOrder) {
  fA.Store(kObjd, 1, "a1");
  fA.Store(kStrs, 9, "s");
  fA.Store(kObjd, 2, "a2");
  fA.Store(kObjd, 3, "a3");
  fB.Store(kObjd, 7, "b7");
  fB.Store(kObjd, 8, "b8");
  Chain({&fA, &fB});

  EXPECT_EQ(fChain.CountResources(kObjd), 5);
  EXPECT_EQ(Bytes(fChain.GetIndResource(kObjd, 3, nullptr)), "a3");
  EXPECT_EQ(Bytes(fChain.GetIndResource(kObjd, 4, nullptr)), "b7");
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(Bytes(fChain.GetIndResource(kObjd, 5, nullptr)), "b8");
  for (const int16_t index : {0, 6, -1}) {
    EXPECT_EQ(fChain.GetIndResource(kObjd, index, nullptr), nullptr) << index;
    EXPECT_EQ(fChain.Error(), kResErrNotFound);
  }

  // A member that cannot count stops the walk with its error.
  fA.FailCounts(kResErrNotOpen);
  EXPECT_EQ(fChain.CountResources(kObjd), 0);
  EXPECT_EQ(fChain.Error(), kResErrNotOpen);
  EXPECT_EQ(fChain.GetIndResource(kObjd, 4, nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNotOpen);
}

TEST_F(ChainResFileTest, TheFirstMemberWinsLookups) {
  fA.Store(kObjd, 128, "first", true, "chair");
  fB.Store(kObjd, 128, "second", true, "chair");
  fB.Store(kObjd, 5, "only b", true, "table");
  Chain({&fA, &fB});

  EXPECT_EQ(Bytes(fChain.GetResource(kObjd, 128, nullptr)), "first");
  EXPECT_EQ(Bytes(fChain.GetResource(kObjd, 5, nullptr)), "only b");
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(Bytes(fChain.GetNamedResource(kObjd, Name("CHAIR"), nullptr)), "first");
  EXPECT_EQ(Bytes(fChain.GetNamedResource(kObjd, Name("table"), nullptr)), "only b");
  EXPECT_EQ(fChain.GetResource(kObjd, 6, nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNotFound);
  // The last member's error stands when none has it.
  EXPECT_EQ(fChain.GetNamedResource(kObjd, Name("stool"), nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  // Languages go to the members, which refuse them here.
  EXPECT_EQ(fChain.GetLangResource(kObjd, 5, 2, nullptr), nullptr);
  EXPECT_EQ(fChain.Error(), kResErrNoLanguages);
  EXPECT_EQ(fChain.UniqueID(kObjd), 129);
  fB.Store(kObjd, 300, "b");
  EXPECT_EQ(fChain.UniqueID(kObjd), 129);
}

TEST_F(ChainResFileTest, TypeUnionWalksEachMemberFromItsLastType) {
  fA.Store(kObjd, 1, "");
  fA.Store(kStrs, 1, "");
  fB.Store(kBmp, 1, "");
  fB.Store(kObjd, 2, "");
  fB.Store(kStrs, 2, "");
  Chain({&fA, &fB});

  EXPECT_EQ(fChain.CountTypes(), 3);
  EXPECT_EQ(fChain.Error(), 0);
  std::vector<ResType> types;
  for (int16_t index = 1; index <= 3; ++index) types.push_back(fChain.GetIndType(index));
  EXPECT_THAT(types, ElementsAre(kStrs, kObjd, kBmp));
  EXPECT_EQ(fChain.GetIndType(0), 0u);
  EXPECT_EQ(fChain.GetIndType(4), 0u);
  EXPECT_EQ(fChain.Error(), kResErrTypeIndex);

  // A member that cannot count its types is left out, its error kept.
  fA.FailCounts(kResErrNotOpen);
  EXPECT_EQ(fChain.CountTypes(), 3);
  EXPECT_EQ(fChain.Error(), kResErrNotOpen);
  EXPECT_EQ(fChain.GetIndType(1), kStrs);
  EXPECT_EQ(fChain.GetIndType(3), kBmp);
}

TEST_F(ChainResFileTest, HandleQueriesFindTheOwningMember) {
  fA.Store(kObjd, 1, "a", true, "one");
  fB.Store(kStrs, 2, "b", false, "two");
  Chain({&fA, &fB});
  MHandle second = fChain.GetResource(kStrs, 2, nullptr);
  ASSERT_NE(second, nullptr);

  Name name;
  fChain.GetResName(second, &name);
  EXPECT_STREQ(name.Text(), "two");
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fChain.GetResType(second), kStrs);
  int16_t id = 0;
  fChain.GetResID(second, &id);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(fChain.GetResLanguage(second), 0);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_FALSE(fChain.IsSwizzled(second));
  EXPECT_EQ(fChain.Error(), 0);
  fChain.SetResID(second, 12);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fB.Entries()[0].id, 12);

  MHandle foreign = NewHandle("f");
  fChain.GetResName(foreign, &name);
  EXPECT_EQ(fChain.Error(), kResErrNotFound);  // the last member's answer
  EXPECT_FALSE(fChain.IsSwizzled(foreign));
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  fChain.DetachResource(foreign);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  int16_t scratch = 0;
  fChain.Reserved1(1, &scratch);
  EXPECT_EQ(fChain.Error(), kResErrUnsupported);
  DisposeMHandle(foreign);

  fChain.DetachResource(second);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fB.Entries()[0].handle, nullptr);
  DisposeMHandle(second);
}

TEST_F(ChainResFileTest, WritesGoOnlyToWritableMembers) {
  fA.Store(kObjd, 1, "a");
  fB.Store(kObjd, 2, "b");
  fA.SetWritable(false);
  Chain({&fA, &fB});
  EXPECT_TRUE(fChain.IsWritable());

  MHandle inA = fChain.GetResource(kObjd, 1, nullptr);
  fChain.WriteResource(inA);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  fChain.RemoveResource(inA);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  fChain.SetResInfo(inA, 3, Name(""), 0);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  EXPECT_EQ(fA.fSetResInfoCalls, 0);

  MHandle inB = fChain.GetResource(kObjd, 2, nullptr);
  std::memcpy(LockMHandle(inB), "B", 1);
  UnlockMHandle(inB);
  fChain.WriteResource(inB);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fB.Entries()[0].stored, "B");
  fB.FailNextWrite(kResErrShortWrite);
  fChain.WriteResource(inB);
  EXPECT_EQ(fChain.Error(), kResErrShortWrite);
  fChain.RemoveResource(inB);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_THAT(fB.Entries(), IsEmpty());
}

TEST_F(ChainResFileTest, OpenCloseAndSuspendAskEveryMember) {
  Chain({&fA, &fB});
  EXPECT_TRUE(fChain.ValidFile());
  EXPECT_EQ(fChain.Suspend(), kResErrCannotSuspend);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fChain.Resume(), kResErrCannotSuspend);
  fChain.Flush();
  EXPECT_EQ(fChain.Error(), 0);
  fB.Close();
  EXPECT_EQ(fChain.Close(), kResErrNotOpen);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_FALSE(fA.ValidFile());
  EXPECT_FALSE(fChain.ValidFile());
  EXPECT_FALSE(fChain.IsWritable());
}

TEST_F(ChainResFileTest, AnEmptyNameBecomesAnonymousAndEveryMemberExtendsIt) {
  Chain({&fA, &fB});
  Name name;
  fChain.MakeUniqueName(kObjd, &name);
  EXPECT_STREQ(name.Text(), "anonymous 0");

  fA.Store(kObjd, 1, "", true, "chair");
  fB.Store(kObjd, 2, "", true, "chair0");
  name.Assign("chair");
  fChain.MakeUniqueName(kObjd, &name);
  EXPECT_STREQ(name.Text(), "chair00");
  EXPECT_EQ(fChain.Error(), 0);
}

TEST_F(ChainResFileTest, NewResourcesAreRoutedByType) {
  fChain.AddFile(&fA);
  fChain.AddExclusiveType(&fA, kStrs);
  MHandle objd = NewHandle("o");
  fChain.AddResource(objd, kObjd, 1, Name("x"), false);
  EXPECT_EQ(fChain.Error(), kResErrTypeRefused);
  EXPECT_EQ(fChain.CanWriteType(kObjd), 0);

  fChain.AddFile(&fB);
  fChain.AddFile(&fC);
  fChain.ProhibitType(&fB, kObjd);
  EXPECT_EQ(fChain.CanWriteType(kObjd), 1);
  fChain.AddResource(objd, kObjd, 1, Name("x"), true);
  EXPECT_EQ(fChain.Error(), 0);
  ASSERT_NE(fC.Find(kObjd, 1), nullptr);
  EXPECT_EQ(fC.Find(kObjd, 1)->handle, objd);
  // A member without languages takes the add through the interface's
  // default, which drops the name.
  EXPECT_STREQ(fC.fLastAddedName.Text(), "");
  EXPECT_TRUE(fC.fLastAddedSwizzled);

  MHandle strs = NewHandle("s");
  fChain.AddResource(strs, kStrs, 4, Name(""), false);
  ASSERT_NE(fA.Find(kStrs, 4), nullptr);

  // A read-only accepting member is passed over; nothing left takes it.
  fC.SetWritable(false);
  MHandle more = NewHandle("m");
  fChain.AddResource(more, kObjd, 2, Name(""), false);
  EXPECT_EQ(fChain.Error(), kResErrTypeRefused);
  fChain.RemoveFile(&fA);
  fChain.AddResource(more, kObjd, 2, Name(""), false);
  EXPECT_EQ(fChain.Error(), kResErrTypeRefused);
  fChain.RemoveFile(&fB);
  fChain.AddResource(more, kObjd, 2, Name(""), false);
  EXPECT_EQ(fChain.Error(), kResErrNoMemberTook);
  EXPECT_EQ(fChain.CanWriteType(kObjd), 0);
  DisposeMHandle(more);
}

TEST_F(ChainResFileTest, AddingReplacesAnExistingResource) {
  fA.Store(kObjd, 1, "old");
  Chain({&fA, &fB});
  MHandle old = fChain.GetResource(kObjd, 1, nullptr);
  ASSERT_NE(old, nullptr);

  MHandle replacement = NewHandle("new");
  fChain.AddResource(replacement, kObjd, 1, Name(""), false);
  EXPECT_EQ(fChain.Error(), 0);
  ASSERT_EQ(fA.Entries().size(), 1u);
  EXPECT_EQ(fA.Entries()[0].handle, replacement);

  // Handing back the very handle: it is detached, the stored copy removed and
  // the handle added again with its new bytes.
  std::memcpy(LockMHandle(replacement), "NEW", 3);
  UnlockMHandle(replacement);
  fChain.WriteResource(replacement);
  std::memcpy(LockMHandle(replacement), "XYZ", 3);
  UnlockMHandle(replacement);
  fChain.AddResource(replacement, kObjd, 1, Name(""), false);
  EXPECT_EQ(fChain.Error(), 0);
  ASSERT_EQ(fA.Entries().size(), 1u);
  EXPECT_EQ(fA.Entries()[0].handle, replacement);
  fChain.WriteResource(replacement);
  EXPECT_EQ(fA.Entries()[0].stored, "XYZ");

  // A resource in a later member is removed there; the new one goes to the
  // first member that takes the type.
  fB.Store(kObjd, 2, "in b");
  MHandle two = NewHandle("two");
  fChain.AddResource(two, kObjd, 2, Name(""), false);
  EXPECT_EQ(fChain.Error(), 0);
  EXPECT_EQ(fB.Find(kObjd, 2), nullptr);
  EXPECT_EQ(fA.Find(kObjd, 2)->handle, two);
}

TEST_F(ChainResFileTest, AResourceOnlyInAReadOnlyMemberCannotBeReplaced) {
  fA.Store(kObjd, 1, "locked");
  fA.SetWritable(false);
  Chain({&fA, &fB});

  MHandle replacement = NewHandle("new");
  fChain.AddResource(replacement, kObjd, 1, Name(""), false);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  EXPECT_EQ(fB.fAddResourceCalls, 0);
  EXPECT_EQ(fA.Find(kObjd, 1)->stored, "locked");
  DisposeMHandle(replacement);

  // The very handle from the read-only member: detached (now the caller's)
  // and not replaced.
  MHandle own = fChain.GetResource(kObjd, 1, nullptr);
  fChain.AddResource(own, kObjd, 1, Name(""), false);
  EXPECT_EQ(fChain.Error(), kResErrNotOwned);
  EXPECT_NE(fA.Find(kObjd, 1)->handle, own);
  EXPECT_EQ(fB.fAddResourceCalls, 0);
  DisposeMHandle(own);
}

TEST_F(ChainResFileTest, RoutingListsAndModes) {
  Chain({&fA, &fB, &fC});
  fChain.AddExclusiveType(&fB, kStrs);
  fChain.AddExclusiveType(&fB, kBmp);
  fChain.ProhibitType(&fC, kObjd);
  fChain.ProhibitType(&fC, kObjd);

  fChain.ProhibitType(&fB, kObjd);
  EXPECT_TRUE(Reported("prohibiting type on exclusively typed Chain File"));
  EXPECT_THAT(fChain.MemberTypes(1), ElementsAre(kStrs, kBmp));
  EXPECT_FALSE(fChain.MemberProhibitive(1));
  fChain.AddExclusiveType(&fC, kStrs);
  EXPECT_TRUE(Reported("adding exclusive type on prohibitive Chain File"));
  EXPECT_THAT(fChain.MemberTypes(2), ElementsAre(kObjd, kObjd));

  FakeResFile outsider;
  fChain.ProhibitType(&outsider, kObjd);
  fChain.AddExclusiveType(&outsider, kObjd);
  EXPECT_EQ(fReports.Count(), 2u);

  fChain.RemoveFile(&fB);
  ASSERT_EQ(fChain.CountFiles(), 2);
  EXPECT_EQ(fChain.GetFile(0), &fA);
  EXPECT_EQ(fChain.GetFile(1), &fC);
  EXPECT_EQ(fChain.GetFile(2), nullptr);
  EXPECT_EQ(fChain.GetFile(-1), nullptr);
  EXPECT_THAT(fChain.MemberTypes(1), ElementsAre(kObjd, kObjd));
  EXPECT_TRUE(fChain.MemberProhibitive(1));
  EXPECT_FALSE(fChain.MemberAccepts(1, kObjd));
  EXPECT_TRUE(fChain.MemberAccepts(1, kStrs));

  // Added again, a member starts over as accepting everything.
  fChain.AddFile(&fB);
  EXPECT_EQ(fChain.GetFile(2), &fB);
  EXPECT_THAT(fChain.MemberTypes(2), IsEmpty());
  EXPECT_TRUE(fChain.MemberAccepts(2, kStrs));
}

TEST_F(ChainResFileTest, ANinthMemberIsRefused) {
  std::array<FakeResFile, 9> files;
  for (FakeResFile& file : files) fChain.AddFile(&file);
  EXPECT_EQ(fChain.CountFiles(), 8);
  EXPECT_EQ(fChain.GetFile(7), &files[7]);
  EXPECT_TRUE(Reported("not enough room for files"));
  EXPECT_EQ(fReports.Count(), 1u);

  fChain.RemoveFile(&files[8]);
  EXPECT_EQ(fChain.CountFiles(), 8);
  fChain.RemoveFile(&files[0]);
  EXPECT_EQ(fChain.GetFile(0), &files[1]);
  EXPECT_EQ(fChain.CountFiles(), 7);
}

TEST_F(ChainResFileTest, AMemberListedTwiceIsRemovedEverywhere) {
  Chain({&fA, &fB, &fA, &fC});
  fChain.RemoveFile(&fA);
  ASSERT_EQ(fChain.CountFiles(), 2);
  EXPECT_EQ(fChain.GetFile(0), &fB);
  EXPECT_EQ(fChain.GetFile(1), &fC);
}

// Two IFF mapped files chained: a definition loaded through the chain, changed
// and handed back with AddResource replaces the stored one on disk.
class ChainOfMappedFilesTest : public IFF2Fixture {};

TEST_F(ChainOfMappedFilesTest, ReplacingTheVeryHandleReachesTheDisk) {
  IFF2Builder first;
  first.Block("STR#", 1, 0, "", "strings");
  WriteFile(first.Bytes());
  IFF2Builder second;
  second.Block("OBJD", 5, 0, "chair", "old bytes");
  fDrive.WriteFile("x/u.iff", second.Bytes());

  {
    IFFResFile2 a;
    IFFResFile2 b;
    ASSERT_EQ(a.Open(fPath), 0);
    ASSERT_EQ(b.Open(Path("c:\\x\\u.iff")), 0);
    ChainResFile chain;
    chain.AddFile(&a);
    chain.AddFile(&b);
    chain.AddExclusiveType(&a, kStrs);

    MHandle handle = chain.GetResource(kObjd, 5, nullptr);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(SetMHandleSize(handle, 3), 0);
    std::memcpy(LockMHandle(handle), "new", 3);
    UnlockMHandle(handle);
    chain.AddResource(handle, kObjd, 5, Name("chair"), false);
    EXPECT_EQ(chain.Error(), 0);
    EXPECT_EQ(a.CountResources(kObjd), 0);
    EXPECT_EQ(chain.CountResources(kObjd), 1);
    EXPECT_EQ(chain.Close(), 0);
  }

  IFFResFile2 check;
  ASSERT_EQ(check.Open(Path("c:\\x\\u.iff")), 0);
  EXPECT_EQ(BytesOf(check.GetResource(kObjd, 5, nullptr)), "new");
  check.Close();
}

}  // namespace
