#include "app/core/FolderScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/ExtScanner.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#ifndef _WIN32
#include "platform/PosixHostEnv.h"
#endif
#include "tests/app/core/FarArchiveBytes.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

// Records every folder and file the walk reports, with the writable flag of
// each file, as paths relative to the object folder.
class RecordingScanner : public FolderScanner {
 public:
  explicit RecordingScanner(std::string skip = {}) : fSkip(std::move(skip)) {}

  int32_t EnterFolder(const StringBuffer& path) override {
    fFolders.push_back(Relative(path));
    return fFolders.back() == fSkip ? 0 : 1;
  }
  void FoundFile(const StringBuffer& path) override {
    fFiles.emplace_back(Relative(path), Writable());
  }

  std::vector<std::string> fFolders;
  std::vector<std::pair<std::string, bool>> fFiles;

 private:
  static std::string Relative(const StringBuffer& path) {
    const std::string text = path.Text();
    const std::string prefix = GamePrefix::kListedObjectFolder;
    return text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : "!" + text;
  }

  std::string fSkip;
};

int32_t ScanObjects(FolderScanner* scanner, const char* folder = GamePrefix::kObjectFolder) {
  FixedStringBuffer<260> path(folder);
  return scanner->Scan(path);
}

using Files = std::vector<std::pair<std::string, bool>>;

TEST(FolderScannerTest, ReportsLoweredPathsDepthFirstWithTheWritableFlag) {
  GamePrefix game;
  game.WriteObject("B.IFF");
  game.WriteObject("a.txt");
  game.WriteObject("Sub/Deeper/Deep.Iff");
  game.WriteObject("Sub/locked.iff");
  game.MakeReadOnly("GameData/UserObjects/Sub/locked.iff");

  RecordingScanner scanner;
  EXPECT_EQ(ScanObjects(&scanner), 0);
  EXPECT_EQ(scanner.fFolders, (std::vector<std::string>{"sub", "sub\\deeper"}));
  EXPECT_EQ(scanner.fFiles, (Files{{"a.txt", true},
                                   {"b.iff", true},
                                   {"sub\\deeper\\deep.iff", true},
                                   {"sub\\locked.iff", false}}));
}

TEST(FolderScannerTest, ForwardSlashesAndCaseOfTheGivenPathDoNotMatter) {
  GamePrefix game;
  game.WriteObject("x.iff");
  RecordingScanner scanner;
  EXPECT_EQ(ScanObjects(&scanner, "c:/GAMES/the velt/GameData/UserObjects/"), 0);
  EXPECT_EQ(scanner.fFiles, (Files{{"x.iff", true}}));
}

TEST(FolderScannerTest, MissingFolderOrPathWithoutSeparatorGivesMinusOne) {
  GamePrefix game;
  game.WriteObject("x.iff");
  RecordingScanner scanner;
  EXPECT_EQ(ScanObjects(&scanner, "C:\\Games\\The Velt\\Nothing\\"), -1);
  EXPECT_EQ(ScanObjects(&scanner, "C:\\Games\\The Velt\\GameData\\UserObjects"), -1);
  EXPECT_EQ(ScanObjects(&scanner, ""), -1);
  EXPECT_TRUE(scanner.fFiles.empty());
}

TEST(FolderScannerTest, EnterFolderDecidesTheDescent) {
  GamePrefix game;
  game.WriteObject("keep/a.iff");
  game.WriteObject("skip/b.iff");
  RecordingScanner scanner("skip");
  ScanObjects(&scanner);
  EXPECT_EQ(scanner.fFolders, (std::vector<std::string>{"keep", "skip"}));
  EXPECT_EQ(scanner.fFiles, (Files{{"keep\\a.iff", true}}));
}

TEST(FolderScannerTest, ArchiveMembersAreReportedReadOnlyAndTheArchiveIsNot) {
  GamePrefix game;
  game.WriteObject("pack.far", FarArchiveBytes({{"Member.iff", "m"}, {"Inner/Lamp.iff", "l"}}));
  game.WriteObject("disk.iff");
  RecordingScanner scanner;
  ScanObjects(&scanner);
  // "inner" exists only inside the archive: entered, but nothing is listed
  // there, since each level is catalogued from the disk.
  EXPECT_EQ(scanner.fFolders, (std::vector<std::string>{"inner"}));
  EXPECT_EQ(scanner.fFiles, (Files{{"disk.iff", true}, {"member.iff", false}}));
}

TEST(FolderScannerTest, LinkLoopEndsAndDanglingLinkIsLeftOut) {
  if (!ScratchFolder::LinksWork()) GTEST_SKIP() << "this host makes no links for tests";
  GamePrefix game;
  game.WriteObject("a/x.iff");
  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/a/loop", "../a");
  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/a/dangling.iff", "nowhere.iff");
  RecordingScanner scanner;
  EXPECT_EQ(ScanObjects(&scanner), 0);
  EXPECT_EQ(scanner.fFolders, (std::vector<std::string>{"a", "a\\loop"}));
  EXPECT_EQ(scanner.fFiles, (Files{{"a\\x.iff", true}}));
}

// Whether the host keeps names that differ only in case apart.
bool NamesAreCaseSensitive(GamePrefix& game) {
  game.WriteObject("probe/T.tmp", "upper");
  game.WriteObject("probe/t.tmp", "lower");
  const bool apart = game.ReadObject("probe/T.tmp") == "upper";
  std::filesystem::remove_all(game.ObjectPath("probe"));
  return apart;
}

// A chain of folders chain/d0 ... chain/dN below the game folder, each with
// two links, a and b, to the next one; the object folder links to d0 as
// "start", and dN holds obj.iff.
void WriteFanOut(GamePrefix& game, int n) {
  for (int i = 0; i <= n; ++i) game.MakeGameFolder("chain/d" + std::to_string(i));
  game.WriteGameFile("chain/d" + std::to_string(n) + "/obj.iff");
  for (int i = 0; i < n; ++i) {
    const std::string from = "drive_c/Games/The Velt/chain/d" + std::to_string(i) + "/";
    game.scratch().Link(from + "a", "../d" + std::to_string(i + 1));
    game.scratch().Link(from + "b", "../d" + std::to_string(i + 1));
  }
  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/start", "../../chain/d0");
}

std::string Repeat(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

// Odd trees under the object folder: what the walk reports (paths relative
// to the object folder, with the writable flag), and for case twins the
// content of the file each reported path opens (each file holds its own
// name as spelled on disk).
struct OddTree {
  const char* what;
  bool needsLinks;
  bool needsCaseTwins;
  std::function<void(GamePrefix&)> make;
  Files reported;
};

void PrintTo(const OddTree& tree, std::ostream* out) { *out << tree.what; }

class OddTreeTest : public ::testing::TestWithParam<OddTree> {};

TEST_P(OddTreeTest, EveryHostFolderIsWalkedOnceAndEveryPathOpensTheReportedFile) {
  const OddTree& tree = GetParam();
  if (tree.needsLinks && !ScratchFolder::LinksWork()) GTEST_SKIP() << "this host makes no links for tests";
  GamePrefix game;
  if (tree.needsCaseTwins && !NamesAreCaseSensitive(game)) GTEST_SKIP() << "names differing in case are one here";
  tree.make(game);
  RecordingScanner scanner;
  EXPECT_EQ(ScanObjects(&scanner), 0);
  EXPECT_EQ(scanner.fFiles, tree.reported) << tree.what;
#ifndef _WIN32
  // The host's own environment lists each subfolder through its parent's
  // open listing, where a wrapper lists it by path: the same walk either way.
  platform::PosixHostEnv bare(game.scratch().Path());
  game.Install(&bare);
  RecordingScanner direct;
  EXPECT_EQ(ScanObjects(&direct), 0);
  game.Install(nullptr);
  EXPECT_EQ(direct.fFiles, tree.reported) << tree.what << ", listed through parents";
#endif
  if (!tree.needsCaseTwins) return;
  for (const auto& [relative, writable] : scanner.fFiles) {
    const std::string path = std::string(GamePrefix::kListedObjectFolder) + relative;
    platform::FileOpenOptions options;
    options.access = writable ? (platform::kAccessRead | platform::kAccessWrite) : platform::kAccessRead;
    std::unique_ptr<platform::HostFile> file = platform::HostEnv::Current().OpenFile(path, options);
    ASSERT_NE(file, nullptr) << path;
    std::string bytes(64, '\0');
    bytes.resize(static_cast<size_t>(std::max<int64_t>(file->Read(bytes.data(), 64), 0)));
    const std::string name = relative.substr(relative.rfind('\\') + 1);
    EXPECT_EQ(bytes, name) << path << " opens another file than the one reported";
  }
}

void WriteTwin(GamePrefix& game, const std::string& name, bool readOnly) {
  game.WriteObject("twins/" + name, name);
  if (readOnly) game.MakeReadOnly("GameData/UserObjects/twins/" + name);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, OddTreeTest,
    ::testing::Values(
        OddTree{"mixed-case folders three levels down", false, false,
                [](GamePrefix& game) {
                  game.WriteObject("Top/Middle/Bottom/Deep.IFF");
                  game.WriteObject("Top/Middle/Locked.iff");
                  game.MakeReadOnly("GameData/UserObjects/Top/Middle/Locked.iff");
                  game.WriteObject("Top/pack.far", FarArchiveBytes({{"Member.iff", "m"}}));
                },
                Files{{"top\\member.iff", false},
                      {"top\\middle\\bottom\\deep.iff", true},
                      {"top\\middle\\locked.iff", false}}},
        OddTree{"a folder reached through two links", true, false,
                [](GamePrefix& game) {
                  game.WriteObject("shared/s.iff");
                  game.scratch().Link("drive_c/Games/The Velt/GameData/UserObjects/one", "shared");
                },
                Files{{"one\\s.iff", true}}},
        OddTree{"links that fan out, 3 levels", true, false, [](GamePrefix& game) { WriteFanOut(game, 3); },
                Files{{"start\\a\\a\\a\\obj.iff", true}}},
        OddTree{"links that fan out, 30 levels", true, false, [](GamePrefix& game) { WriteFanOut(game, 30); },
                Files{{"start\\" + Repeat("a\\", 30) + "obj.iff", true}}},
        OddTree{"case twins: writable first, then the lower-case spelling, then byte order", false, true,
                [](GamePrefix& game) {
                  WriteTwin(game, "A.iff", true);
                  WriteTwin(game, "a.iff", false);
                  WriteTwin(game, "B.iff", false);
                  WriteTwin(game, "b.IFF", false);
                  WriteTwin(game, "C.iff", true);
                  WriteTwin(game, "c.iff", true);
                  WriteTwin(game, "D.iff", false);
                  WriteTwin(game, "d.iff", true);
                  WriteTwin(game, "E.IFF", true);
                  WriteTwin(game, "E.iff", false);
                  WriteTwin(game, "e.Iff", true);
                },
                Files{{"twins\\a.iff", true},
                      {"twins\\B.iff", true},
                      {"twins\\c.iff", false},
                      {"twins\\D.iff", true},
                      {"twins\\E.iff", true}}}),
    [](const ::testing::TestParamInfo<OddTree>& info) { return "Tree" + std::to_string(info.index); });

// Names whose paths do not fit 259 characters are not catalogued, so the walk
// never meets them; a folder whose path fits only without its separator is
// met, and cut with a report when the walk would enter it.
TEST(FolderScannerTest, PathsTooLongAreNeitherReportedNorFollowed) {
  GamePrefix game;
  // The object folder as listed has 39 characters; four levels of 50-character
  // names bring it to 243 with the separators.
  const std::string level(50, 'd');
  const std::string deep = level + "/" + level + "/" + level + "/" + level;
  game.WriteObject(deep + "/ok.iff");
  game.WriteObject(deep + "/" + std::string(20, 'n') + ".iff");
  game.WriteObject(deep + "/" + level + "/lost.iff");
  // The folder path fits, but not with its separator.
  game.WriteObject(deep + "/" + std::string(16, 'e') + "/lost.iff");

  AssertRecorder reports;
  RecordingScanner scanner;
  ScanObjects(&scanner);
  ASSERT_EQ(scanner.fFiles.size(), 1u);
  std::string listedDeep = deep;
  for (char& c : listedDeep) c = c == '/' ? '\\' : c;
  EXPECT_EQ(scanner.fFiles[0].first, listedDeep + "\\ok.iff");
  EXPECT_EQ(scanner.fFolders.size(), 5u);  // the four levels and the 16-character one
  EXPECT_EQ(reports.Count(), 1u);
  for (const std::string& report : reports.Reports()) {
    EXPECT_NE(report.find("append losing characters"), std::string::npos) << report;
  }

  AssertRecorder tooLong;
  FixedStringBuffer<400> overlong(GamePrefix::kObjectFolder);
  overlong.Append(std::string(250, 'x').c_str());
  overlong.Append("\\");
  EXPECT_EQ(scanner.Scan(overlong), -1);
  EXPECT_EQ(tooLong.Count(), 1u);
}

TEST(ExtScannerTest, CollectsWritableFilesOfTheExtensionIgnoringCase) {
  GamePrefix game;
  game.WriteObject("A.IFF");
  game.WriteObject("b.Iff");
  game.WriteObject("c.iffx");
  game.WriteObject("d.if");
  game.WriteObject("e.iff.txt");
  game.WriteObject("x.iff/inside.txt");
  game.WriteObject("ro.iff");
  game.MakeReadOnly("GameData/UserObjects/ro.iff");
  game.WriteObject("pack.far", FarArchiveBytes({{"member.iff", "m"}}));

  std::deque<FixedStringBuffer<260>> found;
  ExtScanner writableOnly(&found, ".IFF", true);
  ScanObjects(&writableOnly);
  std::vector<std::string> texts;
  for (const auto& path : found) texts.emplace_back(path.Text());
  const std::string root = GamePrefix::kListedObjectFolder;
  EXPECT_EQ(texts, (std::vector<std::string>{root + "a.iff", root + "b.iff"}));

  found.clear();
  ExtScanner everyFile(&found, ".iff", false);
  ScanObjects(&everyFile);
  texts.clear();
  for (const auto& path : found) texts.emplace_back(path.Text());
  EXPECT_EQ(texts, (std::vector<std::string>{root + "a.iff", root + "b.iff", root + "member.iff", root + "ro.iff"}));

  ExtScanner nowhere(nullptr, ".iff", false);
  EXPECT_EQ(ScanObjects(&nowhere), 0);
}

}  // namespace
