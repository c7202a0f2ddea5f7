#include "cli/ShowCommand.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/cli/CliRun.h"
#include "tests/cli/SampleObjectFile.h"

namespace {

class ShowCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fSample.Written()); }

  CliRun Show(const std::string& id) { return RunCli({"show", fSample.HostPath(), id}); }

  void WriteOne(const DefinitionFields& fields) {
    ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\GameData\\UserObjects\\one.iff",
                                {{kObjdType, 5, "One", MakeDefinition(fields)}}));
  }
  std::string ShowOne() {
    const CliRun run = RunCli({"show", fGame.ObjectPath("one.iff"), "5"});
    EXPECT_EQ(run.code, 0) << run.err;
    return run.out;
  }

  GamePrefix fGame;
  SampleObjectFile fSample{fGame};
};

TEST_F(ShowCommandTest, NamesTheSortsAsTheControlsShowThem) {
  const CliRun run = Show("128");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Armchair (id 128)\n"
            "function: Seating (1)\n"
            "subsort: Living Chairs (2)\n"
            "room: Family (8)\n"
            "downtown: (0)\n");
}

TEST_F(ShowCommandTest, ValuesNoControlNamesKeepTheirRawValue) {
  // Room 33 is two bits: "None". Subsort 16 under Electronics is "Other".
  // Downtown 304 has only bits without a box.
  EXPECT_EQ(Show("129").out,
            "Radio (id 129)\n"
            "function: Electronics (8)\n"
            "subsort: Other (16)\n"
            "room: None (33)\n"
            "downtown: (304; bits without a box: 304)\n");
  // Function 3 shows "None" with the two-item subsort list, where 1 is "Other".
  EXPECT_EQ(Show("130").out,
            "Combo (id 130)\n"
            "function: None (3)\n"
            "subsort: Other (1)\n"
            "room: Family (8)\n"
            "downtown: Dining, Street (9)\n");
}

TEST_F(ShowCommandTest, ASubsortWithoutAnItemShowsOnlyItsValue) {
  WriteOne(SortFields(8, 3, 4, 0));
  EXPECT_EQ(ShowOne(), "One (id 5)\nfunction: None (3)\nsubsort: (4)\nroom: Family (8)\ndowntown: (0)\n");
  // A value of several subsort bits selects "None".
  WriteOne(SortFields(8, 2, 3, 0));
  EXPECT_EQ(ShowOne(), "One (id 5)\nfunction: Surfaces (2)\nsubsort: None (3)\nroom: Family (8)\ndowntown: (0)\n");
}

TEST_F(ShowCommandTest, BoxesComeInControlOrderAndLooseBitsAreNamed) {
  WriteOne(SortFields(128, 128, 8, -1));
  EXPECT_EQ(ShowOne(),
            "One (id 5)\n"
            "function: Lighting (128)\n"
            "subsort: Hanging Lights (8)\n"
            "room: Study (128)\n"
            "downtown: Dining, Outdoor, Shopping, Street, Other (-1; bits without a box: 65392)\n");
  WriteOne(SortFields(-32768, 64, 16, 0x0106));
  EXPECT_EQ(ShowOne(),
            "One (id 5)\n"
            "function: Other (64)\n"
            "subsort: Other (16)\n"
            "room: None (-32768)\n"
            "downtown: Outdoor, Shopping (262; bits without a box: 256)\n");
}

TEST_F(ShowCommandTest, AnObjectOutsideTheCatalogueIsShownWithResetControls) {
  EXPECT_EQ(Show("134").out,
            "Crate (id 134)\n"
            "not in the buy catalogue: room sort and function sort are both 0, so the organizer disables its sort "
            "controls\n"
            "function: None (0)\n"
            "subsort: None (4)\n"
            "room: None (0)\n"
            "downtown: (1)\n");
}

TEST_F(ShowCommandTest, AnOlderRecordIsShownNormalisedAndLeftAsItIs) {
  const std::string before = fSample.Bytes();
  EXPECT_EQ(Show("135").out,
            "Old Desk (id 135)\nfunction: Surfaces (2)\nsubsort: Desks (8)\nroom: Study (128)\ndowntown: (0)\n");
  EXPECT_EQ(fSample.Bytes(), before);
}

TEST_F(ShowCommandTest, OnlyListedIdsAreShown) {
  CliRun run = Show("131");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velt-sort: " + fSample.HostPath() +
                         ": object definition 131 belongs to a group and does not lead it, so it is not on the object "
                         "list; the group is listed under its lead definition\n");

  run = Show("777");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "velt-sort: " + fSample.HostPath() + ": no object with id 777 on the object list\n");

  for (const char* bad : {"12a", "32768", "-32769", "", "-", "0x80", "1e2"}) {
    run = Show(bad);
    EXPECT_EQ(run.code, 1) << bad;
    EXPECT_EQ(run.err, "velt-sort: " + std::string(bad) + ": not an object id (a whole number from -32768 to 32767)\n");
  }
}

TEST_F(ShowCommandTest, ExtremeIdsAreFound) {
  ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\GameData\\UserObjects\\edge.iff",
                              {{kObjdType, -32768, "Lowest", MakeDefinition({})},
                               {kObjdType, 32767, "Highest", MakeDefinition({})}}));
  EXPECT_EQ(RunCli({"show", fGame.ObjectPath("edge.iff"), "-32768"}).out.substr(0, 21), "Lowest (id -32768)\nfu");
  EXPECT_EQ(RunCli({"show", fGame.ObjectPath("edge.iff"), "+32767"}).out.substr(0, 19), "Highest (id 32767)\n");
}

TEST_F(ShowCommandTest, AMissingFileFails) {
  const CliRun run = RunCli({"show", fGame.ObjectPath("gone.iff"), "128"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("there is no object file"), std::string::npos) << run.err;
  EXPECT_NE(RunCli({"show", fSample.HostPath()}).code, 0);
}

}  // namespace
