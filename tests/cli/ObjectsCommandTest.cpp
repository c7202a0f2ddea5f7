#include "cli/ObjectsCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "app/core/ObjectFile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/SampleObjectFile.h"

namespace {

constexpr const char* kListing =
    "Armchair (id 128): room 8, function 1, subsort 2, downtown 0\n"
    "Radio (id 129): room 33, function 8, subsort 16, downtown 304\n"
    "Combo (id 130): room 8, function 3, subsort 1, downtown 9\n"
    "Sofa (id 132): room 8, function 1, subsort 4, downtown 0\n"
    "Crate (id 134): room 0, function 0, subsort 4, downtown 1\n"
    "Old Desk (id 135): room 128, function 2, subsort 8, downtown 0\n";

class ObjectsCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fSample.Written()); }

  GamePrefix fGame;
  SampleObjectFile fSample{fGame};
};

TEST_F(ObjectsCommandTest, ListsTheObjectsInListOrderWithTheirSorts) {
  const std::string before = fSample.Bytes();
  const CliRun run = RunCli({"objects", fSample.HostPath()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kListing);
  // Listing reads the file and nothing else, old record included.
  EXPECT_EQ(fSample.Bytes(), before);
}

TEST_F(ObjectsCommandTest, ShowsTheLinesOfTheCoresFill) {
  FixedStringBuffer<260> entry;
  ASSERT_TRUE(ObjectFile::EntryForFile(FixedStringBuffer<260>(SampleObjectFile::kWindowsPath), &entry));
  std::vector<ListedObject> objects;
  ASSERT_EQ(ObjectFile::ListObjects(entry, &objects), 0);
  const nlohmann::json parsed = nlohmann::json::parse(RunCli({"objects", fSample.HostPath(), "--json"}).out);
  ASSERT_EQ(parsed.size(), objects.size());
  for (size_t i = 0; i < objects.size(); ++i) {
    EXPECT_EQ(parsed[i]["line"], objects[i].fName.Text());
    EXPECT_EQ(parsed[i]["id"], objects[i].fId);
  }
}

TEST_F(ObjectsCommandTest, JsonGivesEveryFieldInListOrder) {
  const CliRun run = RunCli({"objects", fSample.HostPath(), "--json"});
  ASSERT_EQ(run.code, 0) << run.err;
  const nlohmann::json parsed = nlohmann::json::parse(run.out);
  const nlohmann::json expected = nlohmann::json::parse(R"([
    {"line": "Armchair", "id": 128, "room": 8, "function": 1, "subsort": 2, "downtown": 0},
    {"line": "Radio", "id": 129, "room": 33, "function": 8, "subsort": 16, "downtown": 304},
    {"line": "Combo", "id": 130, "room": 8, "function": 3, "subsort": 1, "downtown": 9},
    {"line": "Sofa", "id": 132, "room": 8, "function": 1, "subsort": 4, "downtown": 0},
    {"line": "Crate", "id": 134, "room": 0, "function": 0, "subsort": 4, "downtown": 1},
    {"line": "Old Desk", "id": 135, "room": 128, "function": 2, "subsort": 8, "downtown": 0}
  ])");
  EXPECT_EQ(parsed, expected);
  // Keys come in the documented order.
  EXPECT_EQ(run.out.find("\"line\""), run.out.find('{') + 6);
  EXPECT_LT(run.out.find("\"id\""), run.out.find("\"room\""));
  EXPECT_LT(run.out.find("\"subsort\""), run.out.find("\"downtown\""));
}

TEST_F(ObjectsCommandTest, TheFileMayBeNamedWithoutIffOrByItsWindowsPathInAnyCase) {
  const std::string host = fSample.HostPath();
  EXPECT_EQ(RunCli({"objects", host.substr(0, host.size() - 4)}).out, kListing);
  EXPECT_EQ(RunCli({"objects", "c:\\games\\the velt\\gamedata\\userobjects\\LIVING\\chair.IFF"}).out, kListing);
  EXPECT_EQ(RunCli({"objects", "C:\\Games\\The Velt\\GameData\\UserObjects\\Living\\Chair"}).out, kListing);
}

TEST_F(ObjectsCommandTest, AFileWithADottedNameIsReachedWithoutIff) {
  ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\GameData\\UserObjects\\lamp.old.iff",
                              {{kObjdType, 200, "Old Lamp", MakeDefinition(SortFields(1, 128, 1, 0))}}));
  const CliRun run = RunCli({"objects", fGame.ObjectPath("lamp.old")});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "Old Lamp (id 200): room 1, function 128, subsort 1, downtown 0\n");
}

TEST_F(ObjectsCommandTest, AFileWithoutDefinitionsListsNothing) {
  ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\GameData\\UserObjects\\empty.iff",
                              {{MakeResType("STR#"), 1, "", "abc"}}));
  EXPECT_EQ(RunCli({"objects", fGame.ObjectPath("empty.iff")}).out, "");
  EXPECT_EQ(RunCli({"objects", fGame.ObjectPath("empty.iff"), "--json"}).out, "[]\n");
}

TEST_F(ObjectsCommandTest, FilesThatCannotBeReadFailWithAReason) {
  CliRun run = RunCli({"objects", fGame.ObjectPath("missing.iff")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velt-sort: " + fGame.ObjectPath("missing.iff") + ": there is no object file " +
                         ReachedAs(fGame.ObjectPath("missing.iff"),
                                   "C:\\Games\\The Velt\\GameData\\UserObjects\\missing.iff") +
                         "\n");

  // A companion alone is not an object file the organizer would list.
  fGame.WriteObject("lonely.spf", "x");
  run = RunCli({"objects", fGame.ObjectPath("lonely")});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("there is no object file"), std::string::npos) << run.err;

  fGame.WriteObject("notes.iff", std::string(200, 'n'));
  run = RunCli({"objects", fGame.ObjectPath("notes.iff")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velt-sort: " + fGame.ObjectPath("notes.iff") +
                         ": not an IFF file of a version this program reads\n");

#ifndef _WIN32
  // Every path on Windows is on a drive of its own.
  run = RunCli({"objects", "/proc/version"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("no drive of the Wine prefix reaches this file"), std::string::npos) << run.err;
#endif

  EXPECT_NE(RunCli({"objects"}).code, 0);
}

TEST_F(ObjectsCommandTest, AReadOnlyFileIsListedAsWell) {
  fGame.MakeReadOnly("GameData/UserObjects/Living/Chair.iff");
  const CliRun run = RunCli({"objects", fSample.HostPath()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, kListing);
}

}  // namespace
