#include "app/core/FileList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "filesystem/FileSystem.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnvWrapper.h"
#include "tests/app/core/FarArchiveBytes.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

const std::string kRoot = GamePrefix::kListedObjectFolder;
const std::string kDownloads = kRoot + "..\\..\\downloads\\";

std::vector<std::string> Lines(const FileList& list) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < list.Count(); ++i) lines.emplace_back(list.Line(i).Text());
  return lines;
}

std::vector<std::string> Entries(const FileList& list) {
  std::vector<std::string> entries;
  for (size_t i = 0; i < list.Count(); ++i) entries.emplace_back(list.Entry(i).Text());
  return entries;
}

FileList Filled(const char* folder = GamePrefix::kObjectFolder) {
  FileList list;
  FixedStringBuffer<260> path(folder);
  list.Fill(path);
  return list;
}

std::string ReadThroughFileSystem(const std::string& path) {
  FSFile* file = gFileSystem.Open(CTGString(path.c_str()), false);
  if (file == nullptr) return "<not opened>";
  std::string bytes(64, '\0');
  bytes.resize(static_cast<size_t>(file->Read(bytes.data(), static_cast<int32_t>(bytes.size()))));
  gFileSystem.Close(file);
  return bytes;
}

// Refuses to list any folder whose path holds `part`, as a host does for a
// folder without read permission.
class LockedFolderEnv : public platform::HostEnvWrapper {
 public:
  LockedFolderEnv(platform::HostEnv* target, std::string part) : HostEnvWrapper(target), fPart(std::move(part)) {}

  std::unique_ptr<platform::FolderListing> ListFolder(std::string_view folder) override {
    std::string lowered(folder);
    for (char& c : lowered) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (lowered.find(fPart) != std::string::npos) return nullptr;
    return HostEnvWrapper::ListFolder(folder);
  }

 private:
  std::string fPart;
};

TEST(FileListTest, CaseVariantsAreListedLoweredAndOpenThroughTheirEntries) {
  GamePrefix game;
  game.WriteObject("First/CHAIR.IFF", "first");
  game.WriteObject("Second/Chair.Iff", "second");
  const FileList list = Filled();
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"chair", "chair"}));
  EXPECT_EQ(Entries(list), (std::vector<std::string>{kRoot + "first\\chair", kRoot + "second\\chair"}));
  EXPECT_EQ(ReadThroughFileSystem(Entries(list)[0] + ".iff"), "first");
  EXPECT_EQ(ReadThroughFileSystem(Entries(list)[1] + ".iff"), "second");
}

TEST(FileListTest, OnlyTheExactExtensionCountsAndTheLineIsTheBareName) {
  GamePrefix game;
  game.WriteObject("chair.iffx");
  game.WriteObject("chair.if");
  game.WriteObject("x.iff/inside.txt");
  game.WriteObject("lamp.old.iff");
  game.WriteObject(".iff");
  const FileList list = Filled();
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"", "lamp.old"}));
  EXPECT_EQ(Entries(list), (std::vector<std::string>{kRoot, kRoot + "lamp.old"}));
}

TEST(FileListTest, SubfoldersAtAnyDepthShowTheNameOnly) {
  GamePrefix game;
  game.WriteObject("one/two/three/deep.iff");
  game.WriteObject("x/same.iff");
  game.WriteObject("y/same.iff");
  const FileList list = Filled();
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"deep", "same", "same"}));
  EXPECT_EQ(Entries(list)[0], kRoot + "one\\two\\three\\deep");
}

TEST(FileListTest, ReadOnlyFilesAndArchiveMembersAreLeftOut) {
  GamePrefix game;
  game.WriteObject("kept.iff");
  game.WriteObject("readonly.iff");
  game.MakeReadOnly("GameData/UserObjects/readonly.iff");
  game.WriteObject("pack.far", FarArchiveBytes({{"member.iff", "m"}, {"inner/m2.iff", "n"}}));
  game.WriteObject("sub/more.far", FarArchiveBytes({{"submember.iff", "s"}}));
  game.WriteObject("sub/sibling.iff");
  game.WriteGameFile("Downloads/dl.far", FarArchiveBytes({{"dlmember.iff", "d"}}));
  const FileList list = Filled();
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"kept", "sibling"}));
}

TEST(FileListTest, DownloadsEntriesKeepTheirDotDotSteps) {
  GamePrefix game;
  game.WriteGameFile("Downloads/Got.iff", "got");
  game.WriteGameFile("Downloads/More/Other.iff");
  const FileList list = Filled();
  EXPECT_EQ(Lines(list), (std::vector<std::string>{"got", "other"}));
  EXPECT_EQ(Entries(list), (std::vector<std::string>{kDownloads + "got", kDownloads + "more\\other"}));
  EXPECT_EQ(ReadThroughFileSystem(Entries(list)[0] + ".iff"), "got");
}

TEST(FileListTest, OrderIsByFullPathUnderTheSignedCaseInsensitiveComparison) {
  GamePrefix game;
  // "été" in Latin-1 bytes where names are bytes, otherwise in UTF-8: a first
  // byte above 0x7F either way, negative as a signed character.
  const std::string accented = ScratchFolder::NamesAreBytes() ? "\xE9t\xE9" : "\xC3\xA9t\xC3\xA9";
  for (const std::string& name : {std::string("zed.iff"), std::string("Apple.iff"), std::string("_under.iff"),
                                  std::string("0zero.iff"), std::string("!bang.iff"), accented + ".iff",
                                  std::string("sub/mid.iff")}) {
    game.WriteObject(name);
  }
  game.WriteGameFile("Downloads/dl.iff");
  game.WriteGameFile("Downloads/Sub2/dl2.iff");
  const FileList list = Filled();
  EXPECT_EQ(Lines(list), (std::vector<std::string>{accented, "!bang", "dl", "dl2", "0zero", "_under", "apple",
                                                   "mid", "zed"}));
}

// Many names whose bytes sit on every side of the folding and of the sign:
// the list is in the order the signed case-insensitive comparison gives
// their full paths, each once.
TEST(FileListTest, ManyNamesComeInTheComparisonsOrderOfTheirFullPaths) {
  GamePrefix game;
  std::string alphabet = "aAbBzZ_-~[`09.";
  if (ScratchFolder::NamesAreBytes()) alphabet += "\x7F\x80\xE9\xFF";
  std::mt19937 random(7);
  std::set<std::string> lowered;
  while (lowered.size() < 60) {
    std::string name;
    const int length = std::uniform_int_distribution<int>(1, 5)(random);
    for (int i = 0; i < length; ++i)
      name += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    std::string low = name;
    for (char& c : low) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    if (lowered.insert(low).second) game.WriteObject(name + ".iff");
  }
  std::vector<std::string> paths;
  for (const std::string& low : lowered) paths.push_back(kRoot + low + ".iff");
  std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
    return FixedStringBuffer<260>(a.c_str()).CompareNoCase(FixedStringBuffer<260>(b.c_str())) < 0;
  });
  std::vector<std::string> expected;
  for (const std::string& path : paths) expected.push_back(path.substr(0, path.size() - 4));
  EXPECT_EQ(Entries(Filled()), expected);
}

TEST(FileListTest, MissingFoldersContributeNothing) {
  GamePrefix game;
  EXPECT_EQ(Filled().Count(), 0u);

  game.WriteGameFile("Downloads/only.iff");
  EXPECT_EQ(Lines(Filled()), (std::vector<std::string>{"only"}));

  std::filesystem::remove_all(game.GamePath("Downloads"));
  game.WriteObject("mine.iff");
  EXPECT_EQ(Lines(Filled()), (std::vector<std::string>{"mine"}));
}

TEST(FileListTest, EmptyFolderGivesAnEmptyListAndAFillReplacesTheLastOne) {
  GamePrefix game;
  game.WriteObject("a.iff");
  FileList list = Filled();
  ASSERT_EQ(list.Count(), 1u);
  FixedStringBuffer<260> empty;
  list.Fill(empty);
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_STREQ(list.Line(0).Text(), "");
  EXPECT_STREQ(list.Entry(7).Text(), "");
}

TEST(FileListTest, UnlistableFolderContributesNothing) {
  GamePrefix game;
  game.WriteObject("open/a.iff");
  game.WriteObject("locked/b.iff");
  game.WriteObject("locked/inner/c.iff");
  LockedFolderEnv locked(&game.host(), "\\locked\\");
  game.Install(&locked);
  EXPECT_EQ(Lines(Filled()), (std::vector<std::string>{"a"}));
  game.Install(nullptr);
}

TEST(FileListTest, FolderWithoutReadPermissionContributesNothing) {
  GamePrefix game;
  game.WriteObject("open/a.iff");
  game.WriteObject("locked/b.iff");
  const std::filesystem::path locked = game.ObjectPath("locked");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  std::error_code code;
  std::filesystem::directory_iterator probe(locked, code);
  if (!code) GTEST_SKIP() << "this user reads folders without read permission";
  EXPECT_EQ(Lines(Filled()), (std::vector<std::string>{"a"}));
}

TEST(FileListTest, LinkLoopsAndDanglingLinksAddNothing) {
  if (!ScratchFolder::LinksWork()) GTEST_SKIP() << "this host makes no links for tests";
  GamePrefix game;
  game.WriteObject("a/x.iff");
  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/a/loop", "../a");
  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/a/up", "../..");
  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/gone.iff", "missing.iff");
  EXPECT_EQ(Lines(Filled()), (std::vector<std::string>{"x"}));
}

TEST(FileListTest, DownloadsPathTooLongIsCutWithAReportAndNotWalked) {
  GamePrefix game;
  // An object folder of 245 characters as given: it is walked, but with the
  // 16 characters of the Downloads suffix the path does not fit.
  const std::string given = std::string(GamePrefix::kObjectFolder) + std::string(205, 'o') + "\\";
  ASSERT_EQ(given.size(), 245u);
  game.WriteObject(std::string(205, 'o') + "/inside.iff");
  game.WriteGameFile("GameData/Downloads/unreachable.iff");
  AssertRecorder reports;
  EXPECT_EQ(Lines(Filled(given.c_str())), (std::vector<std::string>{"inside"}));
  EXPECT_EQ(reports.Count(), 1u);
}

}  // namespace
