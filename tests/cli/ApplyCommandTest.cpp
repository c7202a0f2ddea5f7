#include "cli/ApplyCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/CatalogueTable.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/SampleObjectFile.h"
#include "tests/cli/SortWordChanges.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

using Table = CatalogueTable;
using Edits = std::vector<std::pair<Table::Column, std::string>>;

const std::string kRoot = GamePrefix::kListedObjectFolder;
const std::string kLamp = kRoot + "..\\..\\downloads\\lamp";
const std::string kStove = kRoot + "kitchen\\stove";
const std::string kChair = kRoot + "living\\chair";
constexpr const char* kLampFile = "Downloads/Lamp.iff";
constexpr const char* kStoveFile = "GameData/UserObjects/Kitchen/Stove.iff";
constexpr const char* kChairFile = "GameData/UserObjects/Living/Chair.iff";
constexpr const char* kFiles[] = {kLampFile, kStoveFile, kChairFile};

// Three object files, in list order: a download with one definition, a
// file with two, and the sample file. The catalogue's CSV rows are, from
// row 2: Lamp, Stove, Fridge, Armchair, Radio, Combo, Sofa, Crate, Old Desk.
class ApplyCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fSample.Written());
    fGame.WriteRegistry();
    fGame.MakeGameFolder("Downloads");
    fGame.MakeGameFolder("GameData/UserObjects/Kitchen");
    ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\Downloads\\Lamp.iff",
                                {{kObjdType, 300, "Lamp", MakeDefinition(SortFields(2, 128, 1, 0))}}));
    ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\GameData\\UserObjects\\Kitchen\\Stove.iff",
                                {{MakeResType("STR#"), 128, "Names", "xyz"},
                                 {kObjdType, 200, "Stove", MakeDefinition(SortFields(1, 4, 1, 0))},
                                 {kObjdType, 201, "Fridge", MakeDefinition(SortFields(1, 4, 2, 0))}}));
    fBefore = Snapshot();
  }

  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const char* file : kFiles) {
      std::ifstream in(fGame.GamePath(file), std::ios::binary);
      files[file] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
  }

  // The catalogue as `catalogue --csv` writes it, with cells replaced by
  // object line and rows added.
  std::string EditedCsv(const std::map<std::string, Edits>& edits, const std::vector<Edits>& added = {}) {
    const CliRun catalogue = RunCli({"catalogue", "--csv"});
    EXPECT_EQ(catalogue.code, 0) << catalogue.err;
    Table written;
    std::string error;
    EXPECT_TRUE(written.Read(catalogue.out, &error)) << error;
    Table edited;
    for (Table::Row row : written.Rows()) {
      const auto found = edits.find(row.fCells[Table::kObjectLine].value_or(""));
      if (found != edits.end()) {
        for (const auto& [column, text] : found->second) row.fCells[column] = text;
      }
      edited.Add(row);
    }
    for (const Edits& cells : added) {
      Table::Row row;
      for (const auto& [column, text] : cells) row.fCells[column] = text;
      edited.Add(row);
    }
    std::ostringstream csv;
    edited.WriteCsv(csv);
    return csv.str();
  }

  CliRun Apply(const std::string& table, bool dryRun = false) {
    fGame.scratch().WriteFile("table.csv", table);
    std::vector<std::string> arguments = {"apply", TablePath()};
    if (dryRun) arguments.push_back("--dry-run");
    return RunCli(arguments);
  }

  std::string TablePath() { return fGame.scratch().Path("table.csv"); }

  GamePrefix fGame;
  SampleObjectFile fSample{fGame};
  std::map<std::string, std::string> fBefore;
};

TEST_F(ApplyCommandTest, AnUnchangedCatalogueChangesNoByte) {
  for (const char* format : {"--csv", "--json"}) {
    const CliRun catalogue = RunCli({"catalogue", format});
    ASSERT_EQ(catalogue.code, 0) << catalogue.err;
    for (const bool dryRun : {true, false}) {
      const CliRun run = Apply(catalogue.out, dryRun);
      EXPECT_EQ(run.code, 0) << format << run.err;
      EXPECT_EQ(run.err, "") << format;
      EXPECT_EQ(run.out, "Nothing to change: every object already has the sorts of its row.\n") << format;
      EXPECT_EQ(Snapshot(), fBefore) << format;
    }
  }
}

TEST_F(ApplyCommandTest, AnEditedTableChangesExactlyTheEditedSortWords) {
  const std::string table =
      EditedCsv({{"Armchair", {{Table::kFunction, ""}, {Table::kFunctionName, "Surfaces"}}},
                 {"Radio", {{Table::kRoom, "1"}, {Table::kRoomName, "kitchen"}}},
                 {"Stove", {{Table::kDowntown, ""}, {Table::kDowntownBoxes, "Outdoor, Dining"}}}});
  const std::string lines = kStove + ": Stove (id 200): downtown 0 -> 5 (Dining, Outdoor)\n" + kChair +
                            ": Armchair (id 128): function 1 (Seating) -> 2 (Surfaces)\n" + kChair +
                            ": Radio (id 129): room 33 (None) -> 1 (Kitchen)\n";
  CliRun run = Apply(table, true);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, lines + "Would change 3 objects in 2 files; nothing was written.\n");
  EXPECT_EQ(Snapshot(), fBefore);

  run = Apply(table);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, lines + "Changed 3 objects in 2 files.\n");
  const std::map<std::string, std::string> after = Snapshot();
  EXPECT_EQ(after.at(kLampFile), fBefore.at(kLampFile));
  ExpectOnlySortWordsChanged(fBefore.at(kStoveFile), after.at(kStoveFile), {{200, {1, 4, 1, 5}}});
  ExpectOnlySortWordsChanged(fBefore.at(kChairFile), after.at(kChairFile),
                             {{128, {8, 2, 2, 0}}, {129, {1, 8, 16, 304}}});
  IFFResFile2 reopened;
  ASSERT_EQ(reopened.Open(FixedStringBuffer<260>(SampleObjectFile::kWindowsPath)), kResErrNone);
  EXPECT_TRUE(reopened.OpenedFromMap());
  reopened.Close();

  // The same again asks for nothing; JSON takes numbers as numbers.
  EXPECT_EQ(Apply(table).out, "Nothing to change: every object already has the sorts of its row.\n");
  run = Apply(nlohmann::json::array({{{"entry", kLamp}, {"id", 300}, {"room", 16}}}).dump());
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, kLamp + ": Lamp (id 300): room 2 (Bedroom) -> 16 (Outside)\nChanged 1 object in 1 file.\n");
  ExpectOnlySortWordsChanged(fBefore.at(kLampFile), Snapshot().at(kLampFile), {{300, {16, 128, 1, 0}}});
}

TEST_F(ApplyCommandTest, BadRowsAreListedAndNothingIsWritten) {
  const std::string table =
      EditedCsv({{"Lamp", {{Table::kRoom, "4"}, {Table::kRoomName, "Bathroom"}}},
                 {"Stove", {{Table::kRoom, "8.5"}}},
                 {"Armchair", {{Table::kFunction, "4"}, {Table::kFunctionName, "Surfaces"}}},
                 {"Crate", {{Table::kRoom, ""}, {Table::kRoomName, "Kitchen"}}}},
                {{{Table::kEntry, kRoot + "nowhere"}, {Table::kId, "128"}},
                 {{Table::kEntry, kChair}, {Table::kId, "777"}},
                 {{Table::kEntry, kChair}, {Table::kId, "133"}},
                 {{Table::kEntry, kChair}, {Table::kId, "seven"}},
                 {{Table::kEntry, "C:\\Games\\The Velt\\GameData\\UserObjects\\Kitchen\\STOVE"},
                  {Table::kId, "201"},
                  {Table::kFunctionName, "Plumbing"}}});
  const CliRun run = Apply(table);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  const std::string at = "velt-sort: " + TablePath() + ": ";
  EXPECT_EQ(run.err,
            at + "row 3: bad number in room \"8.5\": give a whole number from -32768 to 65535\n" + at +
                "row 5: function 4 and function_name \"Surfaces\" disagree: the controls show \"Appliances\" for 4; "
                "change both, or empty one of them\n" +
                at + "row 9: " + kChair +
                ": Crate (id 134) is not in the buy catalogue: room sort and function sort are both 0, so the "
                "organizer disables its sort controls; its sorts are left as they are\n" +
                at + "row 11: no file on the Files list has the entry \"" + kRoot + "nowhere\"\n" + at + "row 12: " +
                kChair + ": no object with id 777 on the object list\n" + at + "row 13: " + kChair +
                ": object definition 133 belongs to a group and does not lead it, so it is not on the object list; "
                "the group is listed under its lead definition\n" +
                at + "row 14: \"seven\" is not an object id (a whole number from -32768 to 32767)\n" + at +
                "row 15: asks other sorts of " + kStove + ": Fridge (id 201) than row 4\n" + at +
                "nothing was written: 8 rows with problems\n");
  EXPECT_EQ(Snapshot(), fBefore);
}

// Stove cannot be opened for writing (another program holds it) and Broken
// is no IFF file: both are named, and the other files are saved.
TEST_F(ApplyCommandTest, AFileThatFailsDoesNotStopTheOthers) {
  fGame.WriteObject("Broken.iff", std::string(100, 'x'));
  const Edits kitchen = {{Table::kRoom, "1"}, {Table::kRoomName, "Kitchen"}};
  const std::string table = EditedCsv({{"Lamp", {{Table::kRoom, "4"}, {Table::kRoomName, "Bathroom"}}},
                                       {"Stove", {{Table::kRoom, "16"}, {Table::kRoomName, "outside"}}},
                                       {"Fridge", {{Table::kRoom, "32"}, {Table::kRoomName, ""}}},
                                       {"Armchair", kitchen}},
                                      {{{Table::kEntry, kRoot + "broken"}, {Table::kId, "128"}, {Table::kRoom, "1"}}});
  FaultyHostEnv faulty(&fGame.host());
  faulty.RefuseOpens([](std::string_view path, const platform::FileOpenOptions& options) {
    std::string lowered(path);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
    return lowered.find("stove.iff") != std::string::npos && (options.access & platform::kAccessWrite) != 0;
  });
  fGame.Install(&faulty);
  const CliRun run = Apply(table);
  fGame.Install(nullptr);

  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, kLamp + ": Lamp (id 300): room 2 (Bedroom) -> 4 (Bathroom)\n" + kChair +
                         ": Armchair (id 128): room 8 (Family) -> 1 (Kitchen)\nChanged 2 objects in 2 files.\n");
  EXPECT_EQ(run.err, "velt-sort: " + kRoot +
                         "broken: not an IFF file of a version this program reads; none of its rows were applied\n"
                         "velt-sort: " +
                         kStove +
                         ": The sorts could not be saved: another program is using the file. (2 objects not "
                         "saved)\n"
                         "velt-sort: not everything was applied: 2 objects in 1 file not saved; 1 file not read\n");
  const std::map<std::string, std::string> after = Snapshot();
  EXPECT_EQ(after.at(kStoveFile), fBefore.at(kStoveFile));
  ExpectOnlySortWordsChanged(fBefore.at(kLampFile), after.at(kLampFile), {{300, {4, 128, 1, 0}}});
  ExpectOnlySortWordsChanged(fBefore.at(kChairFile), after.at(kChairFile), {{128, {1, 1, 2, 0}}});
}

TEST_F(ApplyCommandTest, TablesThatCannotBeUsedAreRefused) {
  const std::string at = "velt-sort: " + TablePath() + ": ";
  const struct {
    std::string table;
    std::string err;
  } cases[] = {
      {"entry,room\r\nx,1\r\n", at + "the table has no column id; entry and id name each row's object\n"},
      {"[{\"id\": 1", at + "not valid JSON\n"},
  };
  for (const auto& [table, err] : cases) {
    const CliRun run = Apply(table);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, err);
  }
  const CliRun missing = RunCli({"apply", fGame.scratch().Path("none.csv")});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err, "velt-sort: " + fGame.scratch().Path("none.csv") + ": cannot be read\n");
  EXPECT_EQ(Snapshot(), fBefore);
}

}  // namespace
