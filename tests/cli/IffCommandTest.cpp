#include "cli/IffCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <string>

#include "msrc/File/IFFResFile2.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/cli/CliRun.h"
#include "tests/msrc/File/IFF1Builder.h"

namespace {

constexpr const char* kWindowsPath = "C:\\Games\\The Velt\\GameData\\UserObjects\\chair.iff";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Add(IFFResFile2& file, ResType type, int16_t id, const char* name, uint8_t language,
         const std::string& bytes) {
  MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
  if (!bytes.empty()) bytes.copy(static_cast<char*>(LockMHandle(handle)), bytes.size());
  UnlockMHandle(handle);
  const FixedStringBuffer<64> resourceName(name);
  file.AddLangResource(handle, type, id, resourceName, language, false);
  file.WriteResource(handle);
}

class IffCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fGame.MakeGameFolder("GameData/UserObjects");
    const FixedStringBuffer<260> path(kWindowsPath);
    IFFResFile2 file;
    ASSERT_EQ(file.Create(path), 0);
    ASSERT_EQ(file.Open(path), 0);
    Add(file, MakeResType("OBJD"), 128, "Chair", 0, std::string(216, 'c'));
    // A language-3 resource added after the language-0 one of the same id
    // would replace it, so the other language comes first.
    Add(file, MakeResType("STR#"), 1, "strings", 3, "hej!!!");
    Add(file, MakeResType("STR#"), 1, "strings", 0, "hello");
    Add(file, MakeResType("OBJD"), 129, "", 0, "");
    ASSERT_EQ(file.Close(), 0);
  }

  std::string HostFile() const { return fGame.ObjectPath("chair.iff"); }

  GamePrefix fGame;
};

TEST_F(IffCommandTest, JsonListsTypesAndResourcesInIndexOrder) {
  const std::string before = ReadBytes(HostFile());
  const CliRun run = RunCli({"iff", HostFile(), "--json"});
  ASSERT_EQ(run.code, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["generation"], 2);
  EXPECT_EQ(report["version"], "2.5");
  EXPECT_GT(report["map_offset"].get<int>(), 64);
  const nlohmann::json& resources = report["resources"];
  ASSERT_EQ(resources.size(), 4u);
  EXPECT_EQ(resources[0]["type"], "OBJD");
  EXPECT_EQ(resources[0]["id"], 128);
  EXPECT_EQ(resources[0]["name"], "Chair");
  EXPECT_EQ(resources[0]["size"], 216);
  EXPECT_EQ(resources[0]["offset"], 64);
  EXPECT_EQ(resources[0]["swizzled"], false);
  EXPECT_EQ(resources[1]["id"], 129);
  EXPECT_EQ(resources[1]["size"], 0);
  EXPECT_EQ(resources[2]["type"], "STR#");
  EXPECT_EQ(resources[2]["language"], 3);
  EXPECT_EQ(resources[2]["size"], 6);
  EXPECT_EQ(resources[3]["language"], 0);
  // Listing reads the file and nothing else.
  EXPECT_EQ(ReadBytes(HostFile()), before);
}

TEST_F(IffCommandTest, TextListsOneLinePerResourceAndWindowsPathsWorkToo) {
  const CliRun run = RunCli({"iff", kWindowsPath});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')).substr(0, 27), "generation 2, version 2.5, ");
  EXPECT_NE(run.out.find("OBJD 128 language 0 216 bytes at 64 \"Chair\"\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("STR# 1 language 3 6 bytes at "), std::string::npos) << run.out;
}

TEST_F(IffCommandTest, FilesThatAreNotIffOrCannotBeReachedFailWithAMessage) {
  fGame.WriteObject("notes.txt", "just some text that is not an IFF file at all, long enough for a header..........");
  CliRun run = RunCli({"iff", fGame.ObjectPath("notes.txt")});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("not an IFF file"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");

  run = RunCli({"iff", fGame.ObjectPath("missing.iff")});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("cannot be opened"), std::string::npos) << run.err;

  // The scratch prefix has only drive c:, which does not reach /proc.
  run = RunCli({"iff", "/proc/version"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("no drive of the Wine prefix reaches this file"), std::string::npos) << run.err;

  run = RunCli({"iff"});
  EXPECT_NE(run.code, 0);
}

TEST_F(IffCommandTest, GenerationOneFilesListTheirNamesAndAreLeftAsTheyWere) {
  IFF1Builder built;
  built.Block("OBJD", 128, 0, 1, std::string(216, 'a'));
  built.Block("STR#", 5, 0x0010, -1, "strings");
  built.Block("OBJD", 129, 0, 2, "b");
  // A names cache may list a name under -1, the block headers' "no name".
  built.NamesCache({{-1, "Nobody"}, {1, "Old Chair"}, {2, "New Chair"}});
  fGame.WriteObject("old.iff", built.Bytes());
  // A file without a names cache would get an empty one written by a
  // writable open; listing opens for reading only.
  IFF1Builder bare;
  bare.Block("OBJD", 7, 0, -1, "x");
  fGame.WriteObject("bare.iff", bare.Bytes());

  const CliRun run = RunCli({"iff", fGame.ObjectPath("old.iff"), "--json"});
  ASSERT_EQ(run.code, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["generation"], 1);
  EXPECT_EQ(report["version"], "1.0");
  EXPECT_TRUE(report["map_offset"].is_null());
  const nlohmann::json& resources = report["resources"];
  // The names cache itself is internal and not listed; the newest type and
  // the newest resource of a type come first.
  ASSERT_EQ(resources.size(), 3u);
  EXPECT_EQ(resources[0]["type"], "STR#");
  EXPECT_EQ(resources[0]["swizzled"], true);
  EXPECT_EQ(resources[0]["name"], "");
  EXPECT_EQ(resources[1]["id"], 129);
  EXPECT_EQ(resources[1]["name"], "New Chair");
  EXPECT_EQ(resources[1]["size"], 1);
  EXPECT_EQ(resources[2]["id"], 128);
  EXPECT_EQ(resources[2]["name"], "Old Chair");
  EXPECT_EQ(resources[2]["offset"], 64);
  EXPECT_EQ(ReadBytes(fGame.ObjectPath("old.iff")), built.Bytes());

  const CliRun bareRun = RunCli({"iff", fGame.ObjectPath("bare.iff")});
  ASSERT_EQ(bareRun.code, 0) << bareRun.err;
  EXPECT_EQ(bareRun.out, "generation 1, version 1.0\nOBJD 7 language 0 1 bytes at 64 \"\"\n");
  EXPECT_EQ(ReadBytes(fGame.ObjectPath("bare.iff")), bare.Bytes());
}

}  // namespace
