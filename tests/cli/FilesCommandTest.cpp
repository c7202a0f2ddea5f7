#include "cli/FilesCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "app/core/FileList.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/cli/CliRun.h"

namespace {

const std::string kRoot = GamePrefix::kListedObjectFolder;

FileList ListOfTheGame() {
  FileList list;
  FixedStringBuffer<260> folder(GamePrefix::kObjectFolder);
  list.Fill(folder);
  return list;
}

class FilesCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fGame.WriteRegistry();
    fGame.WriteObject("Chairs/Chair.iff");
    fGame.WriteObject("lamp.old.iff");
    fGame.WriteObject("notes.txt");
    fGame.WriteGameFile("Downloads/Got.IFF");
  }

  GamePrefix fGame;
};

TEST_F(FilesCommandTest, PrintsTheShownNamesInListOrder) {
  const CliRun run = RunCli({"files"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "got\nchair\nlamp.old\n");

  const FileList list = ListOfTheGame();
  std::string expected;
  for (size_t i = 0; i < list.Count(); ++i) expected += std::string(list.Line(i).Text()) + "\n";
  EXPECT_EQ(run.out, expected);
}

TEST_F(FilesCommandTest, JsonGivesLineAndEntryOfEveryFile) {
  const CliRun run = RunCli({"files", "--json"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "");
  const nlohmann::json parsed = nlohmann::json::parse(run.out);
  const nlohmann::json expected = nlohmann::json::array({
      {{"line", "got"}, {"entry", kRoot + "..\\..\\downloads\\got"}},
      {{"line", "chair"}, {"entry", kRoot + "chairs\\chair"}},
      {{"line", "lamp.old"}, {"entry", kRoot + "lamp.old"}},
  });
  EXPECT_EQ(parsed, expected);
  EXPECT_EQ(run.out.back(), '\n');
}

TEST_F(FilesCommandTest, NamesThatAreNotUtf8AreReplacedInJsonAndKeptRawInText) {
  if (!ScratchFolder::NamesAreBytes()) GTEST_SKIP() << "every name on this host is UTF-8 to the program";
  fGame.WriteObject("\xFF\xFE.iff");
  const CliRun json = RunCli({"files", "--json"});
  EXPECT_EQ(json.code, 0);
  const nlohmann::json parsed = nlohmann::json::parse(json.out);
  ASSERT_EQ(parsed.size(), 4u);
  EXPECT_EQ(parsed[0]["line"], "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(parsed[0]["entry"], kRoot + "\xEF\xBF\xBD\xEF\xBF\xBD");

  const CliRun text = RunCli({"files"});
  EXPECT_EQ(text.out, "\xFF\xFE\ngot\nchair\nlamp.old\n");
}

TEST(FilesCommandFailureTest, GameNotInstalled) {
  GamePrefix game;
  game.WriteObject("chair.iff");
  const CliRun run = RunCli({"files"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "The Velt was not detected on this computer. You must have The Velt installed to use this program.\n");
}

TEST(FilesCommandFailureTest, KeyWithoutAFolderValue) {
  GamePrefix game;
  game.WriteRegistry(nullptr);
  const CliRun run = RunCli({"files", "--json"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("VELT_DATA"), std::string::npos) << run.err;
}

TEST(FilesCommandFailureTest, NoFilesGivesNoLinesOrAnEmptyArray) {
  GamePrefix game;
  game.WriteRegistry();
  EXPECT_EQ(RunCli({"files"}).out, "");
  EXPECT_EQ(RunCli({"files", "--json"}).out, "[]\n");
}

}  // namespace
