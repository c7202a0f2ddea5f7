#include "cli/CatalogueCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "tests/cli/CliRun.h"
#include "tests/cli/SampleObjectFile.h"

namespace {

const std::string kRoot = GamePrefix::kListedObjectFolder;
const std::string kStove = kRoot + "..\\..\\downloads\\stove";
const std::string kBroken = kRoot + "broken";
const std::string kChair = kRoot + "living\\chair";

// Three files in list order: a download with one definition whose name
// needs quoting, a file that is no IFF file, and the sample file.
class CatalogueCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fSample.Written());
    fGame.WriteRegistry();
    fGame.MakeGameFolder("Downloads");
    ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\Downloads\\Stove.iff",
                                {{kObjdType, 200, "Big \"Q\", Stove", MakeDefinition(SortFields(1, 4, 1, 0))}}));
    fGame.WriteObject("Broken.iff", std::string(100, 'x'));
  }

  GamePrefix fGame;
  SampleObjectFile fSample{fGame};
};

TEST_F(CatalogueCommandTest, TextHasEveryFileAndItsObjectsWithNumbersAndNames) {
  const std::string before = fSample.Bytes();
  const CliRun run = RunCli({"catalogue"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out,
            "stove (" + kStove +
                ")\n"
                "  Big \"Q\", Stove (id 200): function 4 (Appliances); subsort 1 (Stoves); room 1 (Kitchen); "
                "downtown 0\n"
                "broken (" +
                kBroken +
                ")\n"
                "chair (" +
                kChair +
                ")\n"
                "  Armchair (id 128): function 1 (Seating); subsort 2 (Living Chairs); room 8 (Family); downtown 0\n"
                "  Radio (id 129): function 8 (Electronics); subsort 16 (Other); room 33 (None); downtown 304\n"
                "  Combo (id 130): function 3 (None); subsort 1 (Other); room 8 (Family); downtown 9 (Dining, "
                "Street)\n"
                "  Sofa (id 132): function 1 (Seating); subsort 4 (Sofas); room 8 (Family); downtown 0\n"
                "  Crate (id 134): function 0 (None); subsort 4 (None); room 0 (None); downtown 1; not in the buy "
                "catalogue\n"
                "  Old Desk (id 135): function 2 (Surfaces); subsort 8 (Desks); room 128 (Study); downtown 0\n");
  EXPECT_EQ(run.err, "velt-sort: " + kBroken +
                         ": not an IFF file of a version this program reads; the organizer lists no objects for it\n");
  EXPECT_EQ(fSample.Bytes(), before);
}

TEST_F(CatalogueCommandTest, CsvIsOneRowPerObjectForASpreadsheet) {
  const CliRun run = RunCli({"catalogue", "--csv"});
  EXPECT_EQ(run.code, 0);
  const std::string chair = "2,chair," + kChair + ",";
  EXPECT_EQ(run.out,
            "\xEF\xBB\xBF"
            "file,file_line,entry,object,object_line,id,function,function_name,subsort,subsort_name,room,room_name,"
            "downtown,downtown_boxes,in_catalogue\r\n"
            "0,stove," +
                kStove + ",0,\"Big \"\"Q\"\", Stove\",200,4,Appliances,1,Stoves,1,Kitchen,0,,yes\r\n" + chair +
                "0,Armchair,128,1,Seating,2,Living Chairs,8,Family,0,,yes\r\n" + chair +
                "1,Radio,129,8,Electronics,16,Other,33,None,304,,yes\r\n" + chair +
                "2,Combo,130,3,None,1,Other,8,Family,9,\"Dining, Street\",yes\r\n" + chair +
                "3,Sofa,132,1,Seating,4,Sofas,8,Family,0,,yes\r\n" + chair +
                "4,Crate,134,0,None,4,None,0,None,1,,no\r\n" + chair +
                "5,Old Desk,135,2,Surfaces,8,Desks,128,Study,0,,yes\r\n");
}

TEST_F(CatalogueCommandTest, JsonHasTheSameRowsWithNumbersAsNumbers) {
  const CliRun run = RunCli({"catalogue", "--json"});
  EXPECT_EQ(run.code, 0);
  const nlohmann::json rows = nlohmann::json::parse(run.out);
  ASSERT_EQ(rows.size(), 7u);
  nlohmann::json first = nlohmann::json::parse(R"({"file": 0, "file_line": "stove", "object": 0,
      "object_line": "Big \"Q\", Stove", "id": 200, "function": 4, "function_name": "Appliances", "subsort": 1,
      "subsort_name": "Stoves", "room": 1, "room_name": "Kitchen", "downtown": 0, "downtown_boxes": "",
      "in_catalogue": true})");
  first["entry"] = kStove;
  EXPECT_EQ(rows[0], first);
  EXPECT_EQ(rows[5]["object_line"], "Crate");
  EXPECT_EQ(rows[5]["in_catalogue"], false);
  EXPECT_EQ(rows[3]["downtown_boxes"], "Dining, Street");
}

// Each row is its own object's: a definition cut short (its sorts read as 0,
// outside the catalogue) between two full ones takes nothing from the row
// before it and leaves nothing to the row after it.
TEST_F(CatalogueCommandTest, NoCellCarriesOverFromOneObjectsRowToTheNext) {
  ASSERT_TRUE(WriteObjectFile("C:\\Games\\The Velt\\Downloads\\Shelf.iff",
                              {{kObjdType, 300, "Top", MakeDefinition(SortFields(8, 1, 2, 0))},
                               {kObjdType, 301, "Cut", "xx"},
                               {kObjdType, 302, "Base", MakeDefinition(SortFields(8, 1, 2, 0))}}));
  const CliRun run = RunCli({"catalogue", "--csv"});
  EXPECT_EQ(run.code, 0);
  const std::string shelf = "0,shelf," + kRoot + "..\\..\\downloads\\shelf,";
  const std::string full = "1,Seating,2,Living Chairs,8,Family,0,,yes\r\n";
  EXPECT_NE(run.out.find(shelf + "0,Top,300," + full + shelf + "1,Cut,301,0,None,0,None,0,None,0,,no\r\n" + shelf + "2,Base,302," + full),
            std::string::npos)
      << run.out;
}

}  // namespace
