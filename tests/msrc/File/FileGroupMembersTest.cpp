// File groups with members of every kind: an IFF block file next to mapped
// files, and a folder of loose resource files beside an object file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "msrc/File/IFFResFile.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/ObjResFile.h"
#include "msrc/File/ResolveResFile.h"
#include "msrc/File/StdResFile.h"
#include "platform/HostEnv.h"
#include "platform/HostEnvWrapper.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ResType kSpr = MakeResType("SPR#");

class FileGroupMembersTest : public IFF2Fixture {
 protected:
  // A generation-2 file at x/<name> holding one resource.
  void WriteMapped(const char* name, const char* type, int16_t id, const char* payload) const {
    IFF2Builder built;
    built.Block(type, id, 0, "", payload);
    fDrive.WriteFile(std::string("x/") + name, built.Bytes());
  }

  // A block file at x/<name> holding one resource, made by the block file
  // class itself.
  static void WriteBlock(const char* name, ResType type, int16_t id, const char* payload) {
    const Path path((std::string("c:\\x\\") + name).c_str());
    IFFResFile file;
    ASSERT_EQ(file.Create(path), 0);
    ASSERT_EQ(file.Open(path), 0);
    MHandle handle = MakeHandle(payload);
    file.AddResource(handle, type, id, Name(""), true);
    file.WriteResource(handle);
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.Close(), 0);
  }

  // The ids of a type in the file at x/<name>, opened on its own.
  template <typename File>
  static std::vector<int16_t> IdsIn(const char* name, ResType type) {
    File file;
    EXPECT_EQ(file.Open(Path((std::string("c:\\x\\") + name).c_str())), 0);
    std::vector<int16_t> ids;
    for (int16_t index = 1; index <= file.CountResources(type); ++index) {
      int16_t id = 0;
      file.GetResID(file.GetIndResource(type, index, nullptr), &id);
      ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    file.Close();
    return ids;
  }

  static std::vector<std::string> MemberExtensions(ChainResFile& group) {
    std::vector<std::string> extensions;
    for (int16_t i = 0; i < group.CountFiles(); ++i) {
      Path path;
      group.GetFile(i)->GetPath(&path);
      std::string text = path.Text();
      if (!text.empty() && text.back() == '\\') text.pop_back();
      extensions.push_back(text.substr(text.rfind('.')));
    }
    return extensions;
  }

  static void Add(iResFile& group, ResType type, int16_t id) {
    MHandle handle = MakeHandle("added");
    group.AddResource(handle, type, id, Name(""), true);
    EXPECT_EQ(group.Error(), 0);
  }
};

TEST_F(FileGroupMembersTest, StandardGroupRoutesToABlockFileToo) {
  WriteBlock("t.iff", kObjd, 1, "object");
  WriteMapped("t.spf", "SPR#", 1, "sprite");
  WriteMapped("t.stx", "STR#", 1, "strings");
  {
    StdResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    EXPECT_THAT(MemberExtensions(group), ElementsAre(".spf", ".stx", ".iff"));
    EXPECT_EQ(BytesOf(group.GetResource(kObjd, 1, nullptr)), "object");
    Add(group, kSpr, 20);
    Add(group, kStrs, 21);
    Add(group, kObjd, 22);
  }
  EXPECT_THAT(IdsIn<IFFResFile2>("t.spf", kSpr), ElementsAre(1, 20));
  EXPECT_THAT(IdsIn<IFFResFile2>("t.stx", kStrs), ElementsAre(1, 21));
  EXPECT_THAT(IdsIn<IFFResFile>("t.iff", kObjd), ElementsAre(1, 22));
  EXPECT_THAT(IdsIn<IFFResFile>("t.iff", kSpr), IsEmpty());
  EXPECT_THAT(IdsIn<IFFResFile>("t.iff", kStrs), IsEmpty());
}

TEST_F(FileGroupMembersTest, TheObjectGroupDoesNotOpenABlockFile) {
  WriteBlock("t.iff", kObjd, 1, "object");
  ObjResFile group;
  EXPECT_EQ(group.Open(fPath), kResErrNoComponent);
  EXPECT_EQ(group.CountFiles(), 0);
}

TEST_F(FileGroupMembersTest, AnObjectFolderBesideTheObjectFile) {
  WriteMapped("t.iff", "OBJD", 1, "object");
  fDrive.MakeFolder("x/t.dir");
  fDrive.WriteFile("x/t.dir/_128_extra.OBJ", "extra");
  fDrive.WriteFile("x/t.dir/_1_shadow.OBJ", "shadowed");
  {
    ObjResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    EXPECT_THAT(MemberExtensions(group), ElementsAre(".iff", ".dir"));
    Path path;
    group.GetPath(&path);
    EXPECT_STREQ(path.Text(), "c:\\x\\t");

    // The chain asks the object file first, then the folder.
    EXPECT_EQ(BytesOf(group.GetResource(kObjd, 1, nullptr)), "object");
    MHandle extra = group.GetResource(kObjd, 128, nullptr);
    EXPECT_EQ(BytesOf(extra), "extra");
    int16_t id = 0;
    group.GetResID(extra, &id);
    EXPECT_EQ(id, 128);
    Name name;
    group.GetResName(extra, &name);
    EXPECT_STREQ(name.Text(), "extra");
    // Nothing is catalogued in the process-wide layer, so the folder adds no
    // indexes; its file's code is a type of its own.
    EXPECT_EQ(group.CountResources(kObjd), 1);
    EXPECT_EQ(group.GetIndResource(kObjd, 2, nullptr), nullptr);
    EXPECT_EQ(group.CountTypes(), 2);
    EXPECT_EQ(group.GetIndType(2), 0x4F424A00u);
    // The folder takes no writes: new resources go to the object file.
    Add(group, kObjd, 7);
    EXPECT_EQ(group.CanWriteType(kObjd), 1);
    group.ReleaseResource(extra);
    EXPECT_EQ(group.Error(), 0);
  }
  EXPECT_THAT(IdsIn<IFFResFile2>("t.iff", kObjd), ElementsAre(1, 7));

  // Opened on the folder's own path, the folder is the only member.
  ObjResFile folderOnly;
  ASSERT_EQ(folderOnly.Open(Path("c:\\x\\t.dir")), 0);
  EXPECT_THAT(MemberExtensions(folderOnly), ElementsAre(".dir"));
  MHandle shadow = folderOnly.GetResource(kObjd, 1, nullptr);
  EXPECT_EQ(BytesOf(shadow), "shadowed");
  EXPECT_FALSE(folderOnly.IsWritable());
  folderOnly.ReleaseResource(shadow);
  EXPECT_EQ(folderOnly.Error(), 0);
}

// The group asks the host once which companions are there and tries only
// those: a companion that comes or goes between two opens, or that differs
// from the entry only in case, is found exactly when it is there.
TEST_F(FileGroupMembersTest, CompanionsAreFoundWhenTheyAreThereAndOnlyThen) {
  WriteMapped("t.iff", "OBJD", 1, "object");
  const auto membersNow = [] {
    ObjResFile group;
    EXPECT_EQ(group.Open(Path("c:\\x\\t")), 0);
    return MemberExtensions(group);
  };
  EXPECT_THAT(membersNow(), ElementsAre(".iff"));

  WriteMapped("T.SPF", "SPR#", 2, "sprite");
  fDrive.MakeFolder("x/t.Dir");
  fDrive.WriteFile("x/t.Dir/_128_extra.OBJ", "extra");
  // Members go by the paths they were asked for.
  EXPECT_THAT(membersNow(), ElementsAre(".iff", ".spf", ".dir"));
  {
    ObjResFile group;
    ASSERT_EQ(group.Open(Path("c:\\x\\t")), 0);
    EXPECT_EQ(BytesOf(group.GetResource(kSpr, 2, nullptr)), "sprite");
    MHandle extra = group.GetResource(kObjd, 128, nullptr);
    EXPECT_EQ(BytesOf(extra), "extra");
    group.ReleaseResource(extra);
  }

  fDrive.Remove("x/T.SPF");
  WriteMapped("t.stx", "STR#", 3, "strings");
  EXPECT_THAT(membersNow(), ElementsAre(".iff", ".stx", ".dir"));
  fDrive.Remove("x/t.Dir/_128_extra.OBJ");
  std::filesystem::remove(fDrive.HostPath("x/t.Dir"));
  fDrive.Remove("x/t.stx");
  EXPECT_THAT(membersNow(), ElementsAre(".iff"));
}

// A companion that is not there answers what its file class answers for a
// missing file, so a group where nothing opens fails as before.
TEST_F(FileGroupMembersTest, AMissingCompanionFailsAsItsFileClassDoes) {
  for (const int32_t kind : {SeqResFile::kKindIFF, SeqResFile::kKindIFF2, SeqResFile::kKindResolve}) {
    std::unique_ptr<iResFile> alone(SeqResFile::MakeMember(kind));
    const int32_t missing = alone->Open(Path("c:\\x\\none.cmp"));
    SeqResFile group;
    group.AddComponent(SeqResFile::kKindIFF2, ".iff");
    group.AddComponent(kind, ".cmp");
    EXPECT_EQ(group.Open(Path("c:\\x\\none")), missing) << kind;
    EXPECT_EQ(group.CountFiles(), 0);
  }
}

// What the host is asked for an object file without companions: the file
// itself is opened, and the companions cost one question, not an open (or a
// listing) each.
TEST_F(FileGroupMembersTest, ALoneObjectFileCostsOneOpenAndOneQuestion) {
  class Recording : public platform::HostEnvWrapper {
   public:
    using HostEnvWrapper::HostEnvWrapper;
    std::unique_ptr<platform::HostFile> OpenFile(std::string_view path,
                                                 const platform::FileOpenOptions& options) override {
      fAsked.push_back("open " + std::string(path));
      return HostEnvWrapper::OpenFile(path, options);
    }
    std::unique_ptr<platform::FolderListing> ListFolder(std::string_view folder) override {
      fAsked.push_back("list " + std::string(folder));
      return HostEnvWrapper::ListFolder(folder);
    }
    std::vector<bool> MayHold(std::string_view folder, const std::vector<std::string>& names) override {
      std::string question = "may " + std::string(folder);
      for (const std::string& name : names) question += " " + name;
      fAsked.push_back(question);
      return HostEnvWrapper::MayHold(folder, names);
    }
    std::vector<std::string> fAsked;
  };
  WriteMapped("t.iff", "OBJD", 1, "object");
  Recording recording(&platform::HostEnv::Current());
  platform::HostEnv* previous = platform::HostEnv::Replace(&recording);
  {
    ObjResFile group;
    EXPECT_EQ(group.Open(Path("c:\\x\\t")), 0);
  }
  platform::HostEnv::Replace(previous);
  EXPECT_THAT(recording.fAsked, ElementsAre("may c:\\x\\ t.spf t.stx t.dir", "open c:\\x\\t.iff"));
}

}  // namespace
