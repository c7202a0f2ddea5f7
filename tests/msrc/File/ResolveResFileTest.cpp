// The resolve-site file over folders of loose files on a scratch drive: site
// parsing, lookups by id, name and index, type listing, handle bookkeeping,
// the unsupported writes, and the open files it holds.
#include "msrc/File/ResolveResFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "filesystem/FileSystem.h"
#include "msrc/File/ResolveSite.h"
#include "platform/HostFileWrapper.h"
#include "tests/msrc/File/IFF2Fixture.h"

namespace {

using ::testing::ElementsAre;

constexpr ResType kSpr = MakeResType("SPR#");

// Counts the host files open at once through it.
class OpenFilesEnv : public platform::HostEnvWrapper {
 public:
  explicit OpenFilesEnv(platform::HostEnv* target) : HostEnvWrapper(target) {
    fPrevious = platform::HostEnv::Replace(this);
  }
  ~OpenFilesEnv() override { platform::HostEnv::Replace(fPrevious); }

  std::unique_ptr<platform::HostFile> OpenFile(std::string_view path,
                                               const platform::FileOpenOptions& options) override {
    std::unique_ptr<platform::HostFile> file = HostEnvWrapper::OpenFile(path, options);
    if (file == nullptr) return nullptr;
    ++fOpens;
    fLastOptions = options;
    return std::make_unique<Counted>(std::move(file), &fOpen);
  }

  int fOpen = 0;
  int fOpens = 0;
  platform::FileOpenOptions fLastOptions;

 private:
  class Counted : public platform::HostFileWrapper {
   public:
    Counted(std::unique_ptr<platform::HostFile> target, int* open) : HostFileWrapper(std::move(target)), fOpen(open) {
      ++*fOpen;
    }
    ~Counted() override { --*fOpen; }

   private:
    int* fOpen;
  };

  platform::HostEnv* fPrevious;
};

std::vector<std::string> FoldersOf(const char* text) { return ResolveSite(text).Folders(); }

std::string NameOf(iResFile& file, MHandle handle) {
  Name name("stale");
  file.GetResName(handle, &name);
  return name.Text();
}

int16_t IdOf(iResFile& file, MHandle handle) {
  int16_t id = -7;
  file.GetResID(handle, &id);
  return id;
}

class ResolveResFileTest : public IFF2Fixture {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fDrive.MakeFolder("x/t.dir");
  }
  void TearDown() override {
    // Whatever a test mounted into the process-wide layer goes again.
    gFileSystem.CloseArchives();
    IFF2Fixture::TearDown();
  }

  void Put(const std::string& name, const std::string& bytes) const { fDrive.WriteFile("x/t.dir/" + name, bytes); }

  // Opens c:\x\t.dir and expects it to work.
  void OpenDir(ResolveResFile& file) const { ASSERT_EQ(file.Open(Path("c:\\x\\t.dir")), 0); }

  // Gives back every handle a test loaded.
  static void Release(iResFile& file, std::initializer_list<MHandle> handles) {
    for (MHandle handle : handles) {
      file.ReleaseResource(handle);
      EXPECT_EQ(file.Error(), 0);
    }
  }
};

TEST(ResolveSiteTest, SiteTextBecomesFolders) {
  EXPECT_THAT(FoldersOf("./objects/chair.dir"), ElementsAre(".\\objects\\chair.dir\\"));
  EXPECT_THAT(FoldersOf(".\\objects\\chair.dir\\"), ElementsAre(".\\objects\\chair.dir\\"));
  EXPECT_THAT(FoldersOf("././a"), ElementsAre(".\\a\\"));
  EXPECT_THAT(FoldersOf("a;  b"), ElementsAre(".\\a\\", ".\\b\\"));
  EXPECT_THAT(FoldersOf("a;\tb;c"), ElementsAre(".\\a\\", ".\\b\\", ".\\c\\"));
  // A leading semicolon is the current folder; a closing one ends the list.
  EXPECT_THAT(FoldersOf(";a"), ElementsAre(".\\", ".\\a\\"));
  EXPECT_THAT(FoldersOf("a;"), ElementsAre(".\\a\\"));
  EXPECT_THAT(FoldersOf("a;  "), ElementsAre(".\\a\\"));
  // An item's first character is kept, even a semicolon.
  EXPECT_THAT(FoldersOf("a;;b"), ElementsAre(".\\a\\", ".\\;b\\"));
  // Blanks are skipped only after a semicolon.
  EXPECT_THAT(FoldersOf(" a"), ElementsAre(".\\ a\\"));
  // Drives, shares and "." are kept as they are.
  EXPECT_THAT(FoldersOf("c:/x/t.dir"), ElementsAre("c:\\x\\t.dir\\"));
  EXPECT_THAT(FoldersOf("C:\\x\\"), ElementsAre("C:\\x\\"));
  EXPECT_THAT(FoldersOf("\\\\server\\share"), ElementsAre("\\\\server\\share\\"));
  EXPECT_THAT(FoldersOf("."), ElementsAre(".\\"));
  EXPECT_THAT(FoldersOf("c:x"), ElementsAre(".\\c:x\\"));
  EXPECT_TRUE(FoldersOf("").empty());
  EXPECT_TRUE(FoldersOf("./").empty());
}

TEST(ResolveNamesTest, TypeCodesAndExtensions) {
  EXPECT_EQ(ResolveResFile::AlignType(0x00435354), 0x43535400u);
  EXPECT_EQ(ResolveResFile::AlignType(0x4142), 0x41420000u);
  EXPECT_EQ(ResolveResFile::AlignType(0x41), 0x41000000u);
  EXPECT_EQ(ResolveResFile::AlignType(kObjd), kObjd);
  EXPECT_EQ(ResolveResFile::TypeExtension(kObjd), ".OBJ");
  EXPECT_EQ(ResolveResFile::TypeExtension(0x41420000), ".AB");
  EXPECT_EQ(ResolveResFile::TypeExtension(0x2A2A2A2A), ".*");
  EXPECT_EQ(ResolveResFile::CodeOfFileName("chair.spr"), 0x73707200u);
  EXPECT_EQ(ResolveResFile::CodeOfFileName("a.b.SPR"), 0x53505200u);
  EXPECT_EQ(ResolveResFile::CodeOfFileName("x.y"), 0x79000000u);
  EXPECT_EQ(ResolveResFile::CodeOfFileName("readme"), 0u);
  EXPECT_EQ(ResolveResFile::CodeOfFileName("x.long"), 0u);
  EXPECT_EQ(ResolveResFile::CodeOfFileName("x."), 0u);
}

TEST(ResolveNamesTest, NamesAndIdsFromFileNames) {
  std::string name;
  int32_t id = 0;
  ResolveResFile::ParseEntryName("_128_Chair.SPR", &name, &id);
  EXPECT_EQ(name, "chair");
  EXPECT_EQ(id, 128);
  ResolveResFile::ParseEntryName("_5_my.big.chair.spr", &name, &id);
  EXPECT_EQ(name, "my.big.chair");
  EXPECT_EQ(id, 5);
  ResolveResFile::ParseEntryName("Plain.spr", &name, &id);
  EXPECT_EQ(name, "plain");
  EXPECT_EQ(id, ResolveRecord::kNoId);
  ResolveResFile::ParseEntryName("_12", &name, &id);
  EXPECT_EQ(name, "");
  EXPECT_EQ(id, 12);

  EXPECT_EQ(ResolveResFile::FoundName("_5_Anything.SPR"), "Anything");
  EXPECT_EQ(ResolveResFile::FoundName("_5_a_b.c.spr"), "a_b");
  EXPECT_EQ(ResolveResFile::FoundName("_5_noext"), "noext");
  EXPECT_EQ(ResolveResFile::FoundName("_5"), "");
  EXPECT_EQ(ResolveResFile::FoundId("_77_x.spr"), 77);
  EXPECT_EQ(ResolveResFile::FoundId("_1_2_x.spr"), 1);
  EXPECT_EQ(ResolveResFile::FoundId("_ab_x.spr"), ResolveRecord::kNoId);

  EXPECT_EQ(ResolveResFile::ParseId("0"), 0);
  EXPECT_EQ(ResolveResFile::ParseId("-3"), -3);
  EXPECT_EQ(ResolveResFile::ParseId("2147483647"), 2147483647);
  EXPECT_EQ(ResolveResFile::ParseId("2147483648"), ResolveRecord::kNoId);
  EXPECT_EQ(ResolveResFile::ParseId("99999999999999999999"), ResolveRecord::kNoId);
  EXPECT_EQ(ResolveResFile::ParseId(""), ResolveRecord::kNoId);
  EXPECT_EQ(ResolveResFile::ParseId("-"), ResolveRecord::kNoId);
  EXPECT_EQ(ResolveResFile::ParseId("12a"), ResolveRecord::kNoId);
}

TEST_F(ResolveResFileTest, OpenNeedsEveryFolderToBeListable) {
  fDrive.MakeFolder("x/u.dir");
  ResolveResFile file;
  EXPECT_FALSE(file.ValidFile());
  ASSERT_EQ(file.Open(Path("c:/x/t.dir;c:\\x\\u.dir")), 0);
  EXPECT_TRUE(file.ValidFile());
  EXPECT_THAT(file.Site()->Folders(), ElementsAre("c:\\x\\t.dir\\", "c:\\x\\u.dir\\"));
  Path path;
  file.GetPath(&path);
  EXPECT_STREQ(path.Text(), "c:\\x\\t.dir\\");
  EXPECT_FALSE(file.IsWritable());

  // A second open is reported and replaces the site; a failing one leaves the
  // file closed.
  EXPECT_EQ(file.Open(Path("c:\\x\\t.dir;c:\\x\\none.dir")), kResErrAlreadyOpen);
  EXPECT_TRUE(Reported("(!fSite) double opening"));
  EXPECT_FALSE(file.ValidFile());
  EXPECT_EQ(file.Site(), nullptr);

  fDrive.WriteFile("x/file.dir", "a file, not a folder");
  EXPECT_EQ(file.Open(Path("c:\\x\\file.dir")), kResErrAlreadyOpen);
  EXPECT_EQ(file.Open(Path("")), kResErrAlreadyOpen);
  // A folder whose path leaves no room for a file name under 260 characters.
  fDrive.MakeFolder("x/" + std::string(253, 'd'));
  fDrive.MakeFolder("x/" + std::string(254, 'd'));
  EXPECT_EQ(file.Open(Path(("c:\\x\\" + std::string(253, 'd')).c_str())), 0);
  EXPECT_EQ(file.Open(Path(("c:\\x\\" + std::string(254, 'd')).c_str())), kResErrAlreadyOpen);

  // Once open, a folder that goes away makes the file invalid.
  ASSERT_EQ(file.Open(Path("c:\\x\\u.dir")), 0);
  std::filesystem::remove(fDrive.HostPath("x/u.dir"));
  EXPECT_FALSE(file.ValidFile());
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(file.Site(), nullptr);
}

// Makes a folder the current one for its lifetime.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) : fPrevious(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() { std::filesystem::current_path(fPrevious); }

 private:
  std::filesystem::path fPrevious;
};

TEST_F(ResolveResFileTest, ARelativeSiteStartsAtTheCurrentFolder) {
  fDrive.MakeFolder("objects/chair.dir");
  fDrive.WriteFile("objects/chair.dir/_3_seat.SPR", "seat");
  CurrentFolder here(fDrive.HostPath(""));
  {
    ResolveResFile file;
    EXPECT_EQ(file.Open(Path("./objects/chair.dir")), 0);
    Path path;
    file.GetPath(&path);
    EXPECT_STREQ(path.Text(), ".\\objects\\chair.dir\\");
    MHandle seat = file.GetResource(kSpr, 3, nullptr);
    EXPECT_EQ(BytesOf(seat), "seat");
    EXPECT_EQ(file.Open(Path("objects;  objects/chair.dir")), 0);
    EXPECT_THAT(file.Site()->Folders(), ElementsAre(".\\objects\\", ".\\objects\\chair.dir\\"));
    Release(file, {seat});
  }
}

TEST_F(ResolveResFileTest, LookupByIdReusesTheLoadedHandle) {
  fDrive.MakeFolder("x/u.dir");
  fDrive.WriteFile("x/u.dir/_5_anything.SPR", "second folder");
  fDrive.WriteFile("x/u.dir/_6_other.spr", "six");
  Put("_50_fifty.spr", "not five");
  OpenFilesEnv env(&platform::HostEnv::Current());
  ResolveResFile file;
  ASSERT_EQ(file.Open(Path("c:\\x\\t.dir;c:\\x\\u.dir")), 0);

  int calls = 0;
  static int* sCalls = nullptr;
  sCalls = &calls;
  const SwizzleProc count = [](void*, int32_t) { ++*sCalls; };
  MHandle five = file.GetResource(kSpr, 5, count);
  ASSERT_NE(five, nullptr);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(BytesOf(five), "second folder");
  EXPECT_EQ(NameOf(file, five), "anything");
  EXPECT_EQ(IdOf(file, five), 5);
  EXPECT_EQ(file.GetResType(five), kSpr);
  EXPECT_EQ(env.fOpens, 1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(env.fLastOptions.access, platform::kAccessRead);
  EXPECT_EQ(env.fLastOptions.share, platform::kShareRead);

  // Asked again: the same handle, without opening or converting anything.
  EXPECT_EQ(file.GetResource(kSpr, 5, count), five);
  EXPECT_EQ(env.fOpens, 1);
  EXPECT_EQ(calls, 1);
  // The type is left-aligned before it is compared.
  MHandle six = file.GetResource(0x00535052, 6, nullptr);
  EXPECT_EQ(BytesOf(six), "six");
  EXPECT_EQ(file.GetResType(six), 0x53505200u);
  EXPECT_NE(file.GetResource(0x00535052, 6, nullptr), nullptr);
  EXPECT_EQ(env.fOpens, 2);

  EXPECT_EQ(file.GetResource(kSpr, 7, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.GetResource(kObjd, 5, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.CountLoaded(), 2);
  Release(file, {five, six});
  EXPECT_EQ(file.CountLoaded(), 0);
  EXPECT_EQ(env.fOpen, 0);
}

TEST_F(ResolveResFileTest, AThreeCharacterCodeIsLeftAligned) {
  Put("_7_text.CST", "^caret^");
  ResolveResFile file;
  OpenDir(file);
  MHandle text = file.GetResource(0x00435354, 7, nullptr);
  EXPECT_EQ(BytesOf(text), "^caret^");
  EXPECT_EQ(file.GetResType(text), 0x43535400u);
  EXPECT_EQ(file.GetResource(0x43535400, 7, nullptr), text);
  Release(file, {text});
}

TEST_F(ResolveResFileTest, LookupByName) {
  Put("chair.spr", "plain chair");
  Put("_12_table.SPR", "table twelve");
  Put("_99999_big.spr", "big id");
  ResolveResFile file;
  OpenDir(file);

  MHandle chair = file.GetNamedResource(kSpr, Name("chair"), nullptr);
  EXPECT_EQ(BytesOf(chair), "plain chair");
  EXPECT_EQ(file.GetNamedResource(kSpr, Name("chair"), nullptr), chair);
  // A file named without an id prefix has no id.
  EXPECT_EQ(IdOf(file, chair), 0);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_TRUE(Reported("(theid>=0 && theid<32767) id out of range"));
  fReports.Clear();

  // Names are compared case-sensitively; the disk ignores case.
  MHandle other = file.GetNamedResource(kSpr, Name("CHAIR"), nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, chair);
  EXPECT_EQ(NameOf(file, other), "CHAIR");

  // Failing a file of that name, the first _*_<name> file, with its id.
  MHandle table = file.GetNamedResource(kSpr, Name("table"), nullptr);
  EXPECT_EQ(BytesOf(table), "table twelve");
  EXPECT_EQ(IdOf(file, table), 12);
  EXPECT_EQ(NameOf(file, table), "table");
  EXPECT_TRUE(fReports.Reports().empty());

  // An id beyond 16 bits is reported and cut.
  MHandle big = file.GetNamedResource(kSpr, Name("big"), nullptr);
  EXPECT_EQ(IdOf(file, big), static_cast<int16_t>(99999));
  EXPECT_TRUE(Reported("id out of range"));

  EXPECT_EQ(file.GetNamedResource(kSpr, Name("none"), nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  Release(file, {chair, other, table, big});
}

TEST_F(ResolveResFileTest, AFolderOnlyCountsTheTypesOfItsFiles) {
  Put("a.spr", "a");
  Put("b.SPR", "b");
  Put("c.spr", "c");
  Put("readme", "no code");
  Put("d.long", "no code");
  fDrive.MakeFolder("x/t.dir/sub.obj");
  ResolveResFile file;
  OpenDir(file);
  EXPECT_EQ(file.CountTypes(), 2);
  EXPECT_EQ(file.Error(), 0);
  std::vector<ResType> types = {file.GetIndType(1), file.GetIndType(2)};
  std::sort(types.begin(), types.end());
  EXPECT_THAT(types, ElementsAre(0x53505200u, 0x73707200u));
  EXPECT_EQ(file.GetIndType(3), 0u);
  EXPECT_EQ(file.Error(), kResErrFailed);
  EXPECT_EQ(file.GetIndType(0), 0u);
  EXPECT_EQ(file.Error(), kResErrFailed);
  EXPECT_TRUE(fReports.Reports().empty());

  fDrive.MakeFolder("x/empty.dir");
  ASSERT_EQ(file.Open(Path("c:\\x\\empty.dir")), 0);
  fReports.Clear();
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_TRUE(Reported("(!err) get types failed"));
}

TEST_F(ResolveResFileTest, IndexesComeFromTheFileSystemCatalogue) {
  Put("_1_one.spr", "one");
  Put("_2_two.SPR", "two");
  Put("three.spr", "three");
  Put("_4_four.obj", "other type");
  ResolveResFile file;
  OpenDir(file);

  // Nothing is mounted into the process-wide layer: no index reaches a file,
  // though lookups by id and name still do.
  EXPECT_EQ(file.CountResources(kSpr), 0);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.GetIndResource(kSpr, 1, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrFailed);
  MHandle one = file.GetResource(kSpr, 1, nullptr);
  EXPECT_EQ(BytesOf(one), "one");

  // Once the folder is catalogued, its entries count, in the catalogue's
  // order, and each index loads afresh.
  gFileSystem.Mount(CTGString("c:\\x\\t.dir\\"), false, false);
  ASSERT_EQ(file.CountResources(kSpr), 3);
  MHandle first = file.GetIndResource(kSpr, 1, nullptr);
  EXPECT_EQ(BytesOf(first), "one");
  EXPECT_NE(first, one);
  MHandle third = file.GetIndResource(kSpr, 3, nullptr);
  EXPECT_EQ(BytesOf(third), "three");
  EXPECT_EQ(NameOf(file, third), "three");
  EXPECT_EQ(file.GetIndResource(kSpr, 4, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrFailed);
  EXPECT_EQ(file.CountResources(kObjd), 1);
  Release(file, {one, first, third});
}

TEST_F(ResolveResFileTest, HandleQueriesAndDetaching) {
  Put("_1_one.spr", "one");
  ResolveResFile file;
  OpenDir(file);
  MHandle one = file.GetResource(kSpr, 1, nullptr);
  EXPECT_EQ(file.OwnsHandle(one), 1);
  EXPECT_TRUE(file.IsSwizzled(one));

  MHandle stranger = MakeHandle("stranger");
  EXPECT_EQ(file.OwnsHandle(stranger), 0);
  EXPECT_EQ(NameOf(file, stranger), "");
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_EQ(file.GetResType(stranger), 0u);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_EQ(IdOf(file, stranger), 0);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_TRUE(Reported("(corr) non-member handle"));
  file.DetachResource(stranger);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  file.ReleaseResource(stranger);
  EXPECT_EQ(file.Error(), kResErrNotOwned);
  EXPECT_EQ(BytesOf(stranger), "stranger");

  // Detached, the handle is the caller's and the next lookup loads afresh.
  file.DetachResource(one);
  EXPECT_EQ(file.Error(), 0);
  EXPECT_EQ(file.OwnsHandle(one), 0);
  MHandle again = file.GetResource(kSpr, 1, nullptr);
  EXPECT_NE(again, one);
  DisposeMHandle(one);
  DisposeMHandle(stranger);

  // Handles loaded before Close stay recognisable, with a report each time.
  fReports.Clear();
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(file.OwnsHandle(again), 1);
  EXPECT_EQ(NameOf(file, again), "one");
  EXPECT_TRUE(Reported("(fSite) no resolve site to thunk to"));
  EXPECT_EQ(file.GetResource(kSpr, 1, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotOpen);
  EXPECT_EQ(file.CountTypes(), 0);
  EXPECT_EQ(file.Error(), kResErrNotOpen);
  Path path("stale");
  file.GetPath(&path);
  EXPECT_STREQ(path.Text(), "");
  Release(file, {again});
}

TEST_F(ResolveResFileTest, WritesAreNotSupported) {
  Put("_1_one.spr", "one");
  ResolveResFile file;
  EXPECT_EQ(file.Create(Path("c:\\x\\new.dir")), kResErrUnsupported);
  EXPECT_EQ(file.Delete(Path("c:\\x\\t.dir")), kResErrUnsupported);
  OpenDir(file);
  EXPECT_EQ(file.Suspend(), 0);
  EXPECT_EQ(file.Resume(), 0);
  EXPECT_TRUE(file.ValidFile());
  MHandle one = file.GetResource(kSpr, 1, nullptr);
  MHandle added = MakeHandle("added");

  file.AddResource(added, kSpr, 2, Name("two"), true);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.AddLangResource(added, kSpr, 2, Name("two"), 0, true);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  EXPECT_EQ(file.OwnsHandle(added), 0);
  file.WriteResource(one);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.RemoveResource(one);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.SetResInfo(one, 3, Name("x"), 0);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.SetResID(one, 3);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  Name name("chair");
  file.MakeUniqueName(kSpr, &name);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  EXPECT_EQ(file.UniqueID(kSpr), 0);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  int16_t scratch = 0;
  file.Reserved1(0, &scratch);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.Reserved2(one);
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  file.Flush();
  EXPECT_EQ(file.Error(), kResErrUnsupported);
  EXPECT_EQ(file.GetLangResource(kSpr, 1, 2, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNoLanguages);
  EXPECT_EQ(file.GetLangResource(kSpr, 1, 0, nullptr), one);
  EXPECT_EQ(file.GetResLanguage(one), 0);
  EXPECT_EQ(BytesOf(one), "one");
  EXPECT_TRUE(fReports.Reports().empty());
  DisposeMHandle(added);
  Release(file, {one});
}

TEST_F(ResolveResFileTest, DestructionClosesTheFilesOfLoadedHandles) {
  Put("_1_one.spr", "one");
  Put("_2_two.spr", "two");
  Put("three.spr", "three");
  OpenFilesEnv env(&platform::HostEnv::Current());
  MHandle one = nullptr;
  MHandle two = nullptr;
  const int32_t liveBefore = CountLiveMHandles();
  {
    ResolveResFile file;
    OpenDir(file);
    one = file.GetResource(kSpr, 1, nullptr);
    two = file.GetResource(kSpr, 2, nullptr);
    file.GetNamedResource(kSpr, Name("three"), nullptr);
    EXPECT_EQ(env.fOpen, 3);
    file.ReleaseResource(two);
    EXPECT_EQ(env.fOpen, 2);
    // A detached handle is the caller's from now on.
    file.DetachResource(one);
    EXPECT_EQ(env.fOpen, 1);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(env.fOpen, 1);
  }
  EXPECT_EQ(env.fOpen, 0);
  // The handles still listed went with the file, as every resource file's
  // do; the detached one stays with the caller.
  EXPECT_EQ(CountLiveMHandles(), liveBefore + 1);
  EXPECT_EQ(BytesOf(one), "one");
  DisposeMHandle(one);
}

TEST_F(ResolveResFileTest, UntrustedFileNames) {
  Put("_5_a_b_c.spr", "underscores");
  Put("_x_named.spr", "no number");
  Put("_0_empty.spr", "");
  Put("_8_" + std::string(248, 'n') + ".spr", "long");
  fDrive.WriteFile("x/secret.spr", "outside");
  ResolveResFile file;
  OpenDir(file);

  MHandle five = file.GetResource(kSpr, 5, nullptr);
  EXPECT_EQ(NameOf(file, five), "a_b_c");
  MHandle named = file.GetNamedResource(kSpr, Name("named"), nullptr);
  EXPECT_EQ(BytesOf(named), "no number");
  fReports.Clear();
  EXPECT_EQ(IdOf(file, named), 0);
  EXPECT_TRUE(Reported("id out of range"));

  // An empty file: an empty handle, no callback.
  static bool sCalled = false;
  MHandle empty = file.GetResource(kSpr, 0, [](void*, int32_t) { sCalled = true; });
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GetMHandleSize(empty), 0);
  EXPECT_FALSE(sCalled);

  // A path beyond 259 characters is never opened; a name cannot leave the
  // folder.
  EXPECT_EQ(file.GetResource(kSpr, 8, nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);
  EXPECT_EQ(file.GetNamedResource(kSpr, Path(std::string(250, 'n').c_str()), nullptr), nullptr);
  EXPECT_EQ(file.GetNamedResource(kSpr, Name("..\\secret"), nullptr), nullptr);
  EXPECT_EQ(file.GetNamedResource(kSpr, Name("../secret"), nullptr), nullptr);
  EXPECT_EQ(file.Error(), kResErrNotFound);

  // A long name from the disk is cut quietly to the caller's buffer.
  Put("_9_" + std::string(100, 'q') + ".spr", "long name");
  MHandle nine = file.GetResource(kSpr, 9, nullptr);
  fReports.Clear();
  EXPECT_EQ(NameOf(file, nine), std::string(63, 'q'));
  EXPECT_TRUE(fReports.Reports().empty());
  Release(file, {five, named, empty, nine});
}

TEST_F(ResolveResFileTest, OutOfMemoryDropsTheRecord) {
  Put("_1_one.spr", "one");
  OpenFilesEnv env(&platform::HostEnv::Current());
  ResolveResFile file;
  OpenDir(file);
  MHandleFailAllocations(1);
  EXPECT_EQ(file.GetResource(kSpr, 1, nullptr), nullptr);
  MHandleFailAllocations(0);
  EXPECT_EQ(file.Error(), kMHandleErrNoMemory);
  EXPECT_EQ(file.CountLoaded(), 0);
  EXPECT_EQ(env.fOpen, 0);
}

}  // namespace
