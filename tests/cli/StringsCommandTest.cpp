#include "cli/StringsCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "msrc/File/IFFResFile2.h"
#include "msrc/File/strset.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/cli/CliRun.h"
#include "tests/msrc/File/IFF1Builder.h"

namespace {

constexpr const char* kWindowsPath = "C:\\Games\\The Velt\\GameData\\UserObjects\\words.iff";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class StringsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fGame.MakeGameFolder("GameData/UserObjects");
    const FixedStringBuffer<260> path(kWindowsPath);
    IFFResFile2 file;
    ASSERT_EQ(file.Create(path), 0);
    ASSERT_EQ(file.Open(path), 0);
    StringSet set;
    ASSERT_EQ(set.Load(&file, 300, false), kResErrNotFound);
    set.SetString(1, "Comfy", StringSet::kLanguageEnglish);
    set.SetComment(1, "shown in the catalogue", StringSet::kLanguageEnglish);
    set.SetString(2, "Chair", StringSet::kLanguageEnglish);
    ASSERT_EQ(set.Save(), 0);
    ASSERT_EQ(file.Close(), 0);
  }

  GamePrefix fGame;
};

TEST_F(StringsCommandTest, ListsTheStringsOfEachLanguageWithTheirComments) {
  const std::string before = ReadBytes(fGame.ObjectPath("words.iff"));
  const CliRun run = RunCli({"strings", fGame.ObjectPath("words.iff"), "300", "--json"});
  ASSERT_EQ(run.code, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["id"], 300);
  EXPECT_EQ(report["text"], false);
  ASSERT_EQ(report["languages"].size(), 1u);
  const nlohmann::json& english = report["languages"][0];
  EXPECT_EQ(english["language"], 1);
  ASSERT_EQ(english["strings"].size(), 2u);
  EXPECT_EQ(english["strings"][0]["text"], "Comfy");
  EXPECT_EQ(english["strings"][0]["comment"], "shown in the catalogue");
  // Stored, a missing comment and an empty one are the same bytes.
  EXPECT_EQ(english["strings"][1]["comment"], "");
  EXPECT_EQ(ReadBytes(fGame.ObjectPath("words.iff")), before);

  const CliRun text = RunCli({"strings", kWindowsPath, "300"});
  ASSERT_EQ(text.code, 0) << text.err;
  EXPECT_EQ(text.out,
            "string set 300 \"\"\nlanguage 1 (English):\n  1: Comfy  -- shown in the catalogue\n  2: Chair\n");
}

TEST_F(StringsCommandTest, GenerationOneTextResourcesAndMissingSets) {
  IFF1Builder built;
  built.Block(std::string_view("\0CST", 4), 7, 0, -1, "^Hello^junk^World^");
  built.NamesCache({});
  fGame.WriteObject("old.iff", built.Bytes());
  const CliRun run = RunCli({"strings", fGame.ObjectPath("old.iff"), "7"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "string set 7 \"\" (text)\nlanguage 1 (English):\n  1: Hello\n  2: World\n");
  EXPECT_EQ(ReadBytes(fGame.ObjectPath("old.iff")), built.Bytes());

  const CliRun missing = RunCli({"strings", fGame.ObjectPath("words.iff"), "301"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("no string set with id 301"), std::string::npos) << missing.err;
  EXPECT_NE(RunCli({"strings", fGame.ObjectPath("words.iff"), "99999"}).code, 0);
}

}  // namespace
