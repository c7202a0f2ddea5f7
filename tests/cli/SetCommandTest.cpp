#include "cli/SetCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "msrc/File/IFFFormat.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/SampleObjectFile.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tests/platform/FaultInjection.h"

namespace {

using Key = std::pair<std::string, int16_t>;

std::map<Key, IFF2Reader::Block> ResourcesOf(const std::string& bytes) {
  std::map<Key, IFF2Reader::Block> resources;
  for (const IFF2Reader::Block& block : IFF2Reader(bytes).Resources()) {
    if (block.type != "rsmp") resources[{block.type, block.id}] = block;
  }
  return resources;
}

class SetCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fSample.Written()); }

  CliRun Set(const std::string& id, std::vector<std::string> options) {
    options.insert(options.begin(), {"set", fSample.HostPath(), id});
    return RunCli(options);
  }

  StoredSorts SortsNow(int16_t id) const {
    return ReadStoredSorts(ResourcesOf(fSample.Bytes()).at({"OBJD", id}).payload);
  }

  // Every resource but OBJD `id` is as it was, byte for byte, and so is its
  // block's position when the record kept its size; that one holds
  // `payload` and carries the swizzled mark. The file reopens through the map
  // its close stored.
  void ExpectOnlyDefinitionChanged(const std::string& before, int16_t id, const std::string& payload) {
    const std::string after = fSample.Bytes();
    const auto old = ResourcesOf(before);
    const auto now = ResourcesOf(after);
    ASSERT_EQ(old.size(), now.size());
    for (const auto& [key, block] : old) {
      ASSERT_EQ(now.count(key), 1u) << key.first << key.second;
      const IFF2Reader::Block& changed = now.at(key);
      EXPECT_EQ(changed.name, block.name);
      if (key == Key("OBJD", id)) {
        EXPECT_EQ(changed.payload, payload);
        EXPECT_EQ(changed.flags, block.flags | kSwizzled);
      } else {
        EXPECT_EQ(changed.payload, block.payload) << key.first << key.second;
        EXPECT_EQ(changed.flags, block.flags) << key.first << key.second;
        EXPECT_EQ(changed.offset, block.offset) << key.first << key.second;
      }
    }
    IFFResFile2 reopened;
    ASSERT_EQ(reopened.Open(FixedStringBuffer<260>(SampleObjectFile::kWindowsPath)), kResErrNone);
    EXPECT_TRUE(reopened.OpenedFromMap());
    EXPECT_EQ(reopened.CountResources(kObjdType), 8);
    reopened.Close();
  }

  // The file is exactly as it was and the run failed with `message`.
  void ExpectRefused(const CliRun& run, const std::string& before, const std::string& message) {
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message);
    EXPECT_EQ(fSample.Bytes(), before);
  }

  GamePrefix fGame;
  SampleObjectFile fSample{fGame};
};

TEST_F(SetCommandTest, NamesAreStoredAsTheirBitsAndOnlyTheFourWordsChange) {
  const std::string before = fSample.Bytes();
  const CliRun run = Set("128", {"--function", "electronics", "--subsort", "tv / COMPUTER", "--room", "Kitchen",
                                 "--downtown", "Street, dining"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Saved Armchair (id 128).\n"
            "function: Electronics (8)\n"
            "subsort: TV / Computer (2)\n"
            "room: Kitchen (1)\n"
            "downtown: Dining, Street (9)\n");
  ExpectOnlyDefinitionChanged(before, 128, WithSorts(fSample.Definition(128), 1, 8, 2, 9));

  // In place: up to the old map, the bytes differ only in the header's map
  // offset, the block's flags and the four sort words.
  const int32_t block = ResourcesOf(before).at({"OBJD", 128}).offset;
  const std::string after = fSample.Bytes();
  const uint32_t oldMap = IFF2Reader(before).MapOffset();
  ASSERT_GE(after.size(), oldMap);
  std::vector<size_t> changed;
  for (size_t i = 0; i < oldMap; ++i) {
    if (after[i] != before[i]) changed.push_back(i);
  }
  const auto at = [block](size_t offset) { return static_cast<size_t>(block) + 76 + offset; };
  std::vector<size_t> allowed = {60, 61, 62, 63, static_cast<size_t>(block) + 11, at(78), at(79), at(80), at(81),
                                 at(188), at(189), at(190), at(191)};
  for (size_t i : changed) EXPECT_NE(std::find(allowed.begin(), allowed.end(), i), allowed.end()) << "byte " << i;
}

TEST_F(SetCommandTest, NumbersAreStoredAsGivenAndOtherSortsKeepEveryBit) {
  const std::string before = fSample.Bytes();
  CliRun run = Set("129", {"--function", "65535"});
  EXPECT_EQ(run.code, 0) << run.err;
  // The room of 33, the subsort of 16 and the downtown bits without a box
  // stay; under a function sort of several bits no subsort item is 16.
  ExpectOnlyDefinitionChanged(before, 129, WithSorts(fSample.Definition(129), 33, -1, 16, 304));
  EXPECT_EQ(run.out,
            "Saved Radio (id 129).\n"
            "function: None (-1)\n"
            "subsort: (16)\n"
            "room: None (33)\n"
            "downtown: (304; bits without a box: 304)\n");

  run = Set("129", {"--room", "-32768", "--subsort", "+3", "--downtown", "0007"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(SortsNow(129).room, -32768);
  EXPECT_EQ(SortsNow(129).function, -1);
  EXPECT_EQ(SortsNow(129).subsort, 3);
  EXPECT_EQ(SortsNow(129).downtown, 7);
}

TEST_F(SetCommandTest, SubsortNamesComeFromTheFunctionSortAfterTheChange) {
  // Armchair is Seating: "Sofas" is item 3 there, but after the change to
  // Appliances the same position is "Small Appliances".
  CliRun run = Set("128", {"--function", "Appliances", "--subsort", "Small Appliances"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(SortsNow(128).function, 4);
  EXPECT_EQ(SortsNow(128).subsort, 4);

  const std::string before = fSample.Bytes();
  run = Set("128", {"--function", "Seating", "--subsort", "Stoves"});
  ExpectRefused(run, before,
                "velt-sort: unknown subsort in --subsort \"Stoves\" for function sort 1 (Seating); valid names: "
                "None, Dining Chairs, Living Chairs, Sofas, Beds, Other, or a whole number from -32768 to 65535\n");

  // Without --function the stored one counts; a function sort of several bits
  // offers "None" and "Other", "Other" being 1.
  run = Set("130", {"--subsort", "other"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(SortsNow(130).subsort, 1);
  run = Set("130", {"--subsort", "Sofas"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err,
            "velt-sort: unknown subsort in --subsort \"Sofas\" for function sort 3; valid names: None, Other, or a "
            "whole number from -32768 to 65535\n");

  // A function sort changed alone keeps the subsort value.
  run = Set("128", {"--function", "Surfaces"});
  EXPECT_EQ(SortsNow(128).subsort, 4);
  EXPECT_NE(run.out.find("subsort: End Tables (4)\n"), std::string::npos) << run.out;
}

TEST_F(SetCommandTest, DowntownNamesTickExactlyThoseBoxes) {
  // 304 has no boxed bits; ticking boxes drops the loose ones, as clicking does.
  CliRun run = Set("129", {"--downtown", "street"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(SortsNow(129).downtown, 8);
  run = Set("129", {"--downtown", " Other ,Outdoor,outdoor, Shopping,Dining"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(SortsNow(129).downtown, 128 + 4 + 2 + 1);
  run = Set("129", {"--downtown", ""});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(SortsNow(129).downtown, 0);
  EXPECT_EQ(SortsNow(129).room, 33);
}

TEST_F(SetCommandTest, BothSortsNoneIsSavedAsTheDialogSavesIt) {
  const CliRun run = Set("128", {"--room", "none", "--function", "NONE"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "Saved Armchair (id 128).\n"
            "not in the buy catalogue: room sort and function sort are both 0, so the organizer disables its sort "
            "controls\n"
            "function: None (0)\n"
            "subsort: None (2)\n"
            "room: None (0)\n"
            "downtown: (0)\n");
  EXPECT_EQ(SortsNow(128).room, 0);
  EXPECT_EQ(SortsNow(128).function, 0);
}

TEST_F(SetCommandTest, AnOlderRecordIsSavedUpgraded) {
  const std::string before = fSample.Bytes();
  const CliRun run = Set("135", {"--room", "Kitchen"});
  EXPECT_EQ(run.code, 0) << run.err;
  const std::string payload = WithSorts(NormalizedDefinition(fSample.Definition(135)), 1, 2, 8, 0);
  ASSERT_EQ(payload.size(), 216u);
  const auto now = ResourcesOf(fSample.Bytes());
  EXPECT_EQ(now.at({"OBJD", 135}).payload, payload);
  for (const auto& [key, block] : ResourcesOf(before)) {
    if (key != Key("OBJD", 135)) {
      EXPECT_EQ(now.at(key).payload, block.payload) << key.first << key.second;
    }
  }
  IFFResFile2 reopened;
  ASSERT_EQ(reopened.Open(FixedStringBuffer<260>(SampleObjectFile::kWindowsPath)), kResErrNone);
  EXPECT_TRUE(reopened.OpenedFromMap());
  reopened.Close();
}

TEST_F(SetCommandTest, UnknownNamesListTheValidOnes) {
  const std::string before = fSample.Bytes();
  ExpectRefused(Set("128", {"--function", "Chairs"}), before,
                "velt-sort: unknown function sort in --function \"Chairs\"; valid names: None, Seating, Surfaces, "
                "Appliances, Electronics, Plumbing, Decorative, Other, Lighting, or a whole number from -32768 to "
                "65535\n");
  ExpectRefused(Set("128", {"--room", "Garage"}), before,
                "velt-sort: unknown room sort in --room \"Garage\"; valid names: None, Kitchen, Bedroom, Bathroom, "
                "Family, Outside, Dining, Other, Study, or a whole number from -32768 to 65535\n");
  ExpectRefused(Set("128", {"--downtown", "Dining,,Street"}), before,
                "velt-sort: unknown downtown box \"\" in --downtown \"Dining,,Street\"; give a comma-separated list "
                "of Dining, Outdoor, Shopping, Street, Other (an empty list ticks no box), or a whole number from "
                "-32768 to 65535\n");
  // One bad option among good ones changes nothing either.
  const CliRun run = Set("128", {"--room", "Kitchen", "--downtown", "Park"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(fSample.Bytes(), before);
}

TEST_F(SetCommandTest, BadNumbersAreRefused) {
  const std::string before = fSample.Bytes();
  for (const char* bad : {"65536", "-32769", "99999999999999999999", "12x", "-", "+", "1.5", "0x10"}) {
    ExpectRefused(Set("128", {"--room", bad}), before,
                  "velt-sort: bad number in --room \"" + std::string(bad) +
                      "\": give a whole number from -32768 to 65535, or a name\n");
  }
}

TEST_F(SetCommandTest, IdsOffTheListAndObjectsOutsideTheCatalogueAreRefused) {
  const std::string before = fSample.Bytes();
  const std::string prefix = "velt-sort: " + fSample.HostPath() + ": ";
  ExpectRefused(Set("777", {"--room", "1"}), before, prefix + "no object with id 777 on the object list\n");
  ExpectRefused(Set("133", {"--room", "1"}), before,
                prefix +
                    "object definition 133 belongs to a group and does not lead it, so it is not on the object list; "
                    "the group is listed under its lead definition\n");
  ExpectRefused(Set("134", {"--room", "Kitchen"}), before,
                prefix +
                    "object 134 is not in the buy catalogue: room sort and function sort are both 0, so the "
                    "organizer disables its sort controls; its sorts are left as they are\n");
  ExpectRefused(Set("seven", {"--room", "1"}), before,
                "velt-sort: seven: not an object id (a whole number from -32768 to 32767)\n");
  ExpectRefused(Set("128", {}), before,
                "velt-sort: nothing to change: give --function, --subsort, --room or --downtown\n");
}

TEST_F(SetCommandTest, FilesThatCannotBeWrittenOrFoundAreRefused) {
  fGame.MakeReadOnly("GameData/UserObjects/Living/Chair.iff");
  const std::string before = fSample.Bytes();
  ExpectRefused(Set("128", {"--room", "Kitchen"}), before,
                "velt-sort: " + fSample.HostPath() +
                    ": The sorts could not be saved: the file is read-only.\n");

  const CliRun run = RunCli({"set", fGame.ObjectPath("Living/Gone.iff"), "128", "--room", "1"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "velt-sort: " + fGame.ObjectPath("Living/Gone.iff") +
                         ": there is no object file C:\\Games\\The Velt\\GameData\\UserObjects\\Living\\Gone.iff\n");
}

// At every failure point of every kind, set answers for what the file holds:
// 0 when the new room sort is in it (with a warning on standard error when
// something failed after it), 1 with the reason when the old one still is.
TEST_F(SetCommandTest, EveryFailurePointIsReportedAsWhatTheFileHolds) {
  const std::string before = fSample.Bytes();
  FaultInjection faults(&platform::HostEnv::Current());
  faults.counting().SkipDeviceFlushes(true);
  int points = 0;
  for (const FaultMode& mode : kFaultModes) {
    for (int n = 1; n < kMostFailurePoints; ++n) {
      fGame.WriteObject(SampleObjectFile::kRelative, before);
      const int failures = faults.Failures(mode);
      // Counted from the save on: listing and reading the object come first.
      const CliRun run = [&] {
        faults.Arm(mode, n);
        return Set("128", {"--room", "Kitchen"});
      }();
      faults.Heal(mode);
      if (faults.Failures(mode) == failures) {
        EXPECT_EQ(run.code, 0) << mode.name;
        break;
      }
      ++points;
      const std::string where = std::string(mode.name) + " at " + std::to_string(n) + ": " + run.err;
      const int16_t room = SortsNow(128).room;
      if (run.code == 0) {
        EXPECT_EQ(room, 1) << where;
        EXPECT_TRUE(run.err.empty() || run.err.find("The sorts were saved, but") != std::string::npos) << where;
      } else {
        EXPECT_EQ(room, 8) << where;
        EXPECT_NE(run.err, "") << where;
      }
    }
  }
  EXPECT_GT(points, 0);
}

}  // namespace
