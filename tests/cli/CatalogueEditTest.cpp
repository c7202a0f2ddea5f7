#include "cli/CatalogueEdit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Table = CatalogueTable;
using Cells = std::map<Table::Column, const char*>;

// The four sorts' cells in the order function, function_name, subsort,
// subsort_name, room, room_name, downtown, downtown_boxes, as `catalogue`
// writes them for the stored values of each case.
struct Stored {
  SortValues values;
  const char* cells[8];
};

// Armchair: Seating / Living Chairs, Family, no box.
const Stored kArmchair = {{0, 8, 2, 1}, {"1", "Seating", "2", "Living Chairs", "8", "Family", "0", ""}};
// Radio: room 33 (two bits) and downtown 304 (no boxed bit) show "None" and
// no tick.
const Stored kRadio = {{304, 33, 16, 8}, {"8", "Electronics", "16", "Other", "33", "None", "304", ""}};
// Combo: function 3 lists only None and Other; downtown 9 ticks two boxes.
const Stored kCombo = {{9 + 16, 8, 1, 3}, {"3", "None", "1", "Other", "8", "Family", "25", "Dining, Street"}};
// Crate: outside the buy catalogue, shown as the reset controls.
const Stored kCrate = {{1, 0, 4, 0}, {"0", "None", "4", "None", "0", "None", "1", ""}};

constexpr Table::Column kSortColumns[] = {Table::kFunction, Table::kFunctionName, Table::kSubsort,
                                          Table::kSubsortName, Table::kRoom,     Table::kRoomName,
                                          Table::kDowntown, Table::kDowntownBoxes};

Table::Row RowFor(const Stored& stored, const Cells& edits) {
  Table::Row row;
  for (size_t i = 0; i < 8; ++i) row.fCells[kSortColumns[i]] = stored.cells[i];
  for (const auto& [column, text] : edits) {
    if (text == nullptr) {
      row.fCells[column].reset();
    } else {
      row.fCells[column] = text;
    }
  }
  return row;
}

TEST(CatalogueEditTest, ANumberDecidesAndANameAloneIsReadAgainstTheStoredSort) {
  const struct {
    const char* name;
    const Stored& stored;
    Cells edits;
    SortValues wanted;  // downtown, room, subsort, function
  } cases[] = {
      {"as written", kArmchair, {}, {0, 8, 2, 1}},
      {"as written, every bit kept", kRadio, {}, {304, 33, 16, 8}},
      {"as written, outside the catalogue", kCrate, {}, {1, 0, 4, 0}},
      {"as written, odd function sort", kCombo, {}, {25, 8, 1, 3}},
      {"a number with its name", kArmchair, {{Table::kFunction, "+4"}, {Table::kFunctionName, "appliances"}},
       {0, 8, 2, 4}},
      {"a number alone", kArmchair, {{Table::kFunction, "4"}, {Table::kFunctionName, " "}}, {0, 8, 2, 4}},
      {"a name alone", kArmchair, {{Table::kFunction, ""}, {Table::kFunctionName, "Surfaces"}}, {0, 8, 2, 2}},
      {"a name in another case, with spaces", kArmchair, {{Table::kFunctionName, "  SEATING "}}, {0, 8, 2, 1}},
      {"a subsort name from the new function sort's list", kArmchair,
       {{Table::kFunction, nullptr}, {Table::kFunctionName, "Appliances"}, {Table::kSubsort, nullptr},
        {Table::kSubsortName, "Small Appliances"}},
       {0, 8, 4, 4}},
      {"a subsort kept under a new function sort, named from the old list", kArmchair,
       {{Table::kFunction, "4"}, {Table::kFunctionName, "Appliances"}}, {0, 8, 2, 4}},
      {"the same with the function sort named alone", kArmchair,
       {{Table::kFunction, ""}, {Table::kFunctionName, "Appliances"}, {Table::kSubsort, ""}}, {0, 8, 2, 4}},
      {"a subsort number kept under a new function sort", kArmchair,
       {{Table::kFunction, "4"}, {Table::kFunctionName, "Appliances"}, {Table::kSubsortName, "Fridges"}},
       {0, 8, 2, 4}},
      {"the same number written another way", kArmchair, {{Table::kRoom, "0008"}}, {0, 8, 2, 1}},
      {"any 16-bit number", kArmchair, {{Table::kRoom, "65535"}, {Table::kRoomName, "None"}}, {0, 65535, 2, 1}},
      {"numbers alone", kArmchair, {{Table::kFunctionName, nullptr}, {Table::kRoomName, nullptr}, {Table::kRoom, "1"}},
       {0, 1, 2, 1}},
      {"a room named as shown keeps its bits", kRadio, {{Table::kRoom, ""}, {Table::kRoomName, "none"}},
       {304, 33, 16, 8}},
      {"a room named anew", kRadio, {{Table::kRoom, ""}, {Table::kRoomName, "Kitchen"}}, {304, 1, 16, 8}},
      {"boxes ticked keep no loose bit", kRadio, {{Table::kDowntown, ""}, {Table::kDowntownBoxes, "Street"}},
       {8, 33, 16, 8}},
      {"boxes in another order", kCombo, {{Table::kDowntownBoxes, "street,DINING"}}, {25, 8, 1, 3}},
      {"boxes and a number", kCombo, {{Table::kDowntown, "137"}, {Table::kDowntownBoxes, "Other, Dining, Street"}},
       {137, 8, 1, 3}},
      {"out of the catalogue, other cells as they were", kArmchair,
       {{Table::kFunction, "0"}, {Table::kFunctionName, "None"}, {Table::kRoom, "0"}, {Table::kRoomName, "None"}},
       {0, 0, 2, 0}},
      {"None in a two-item list", kCombo, {{Table::kSubsort, ""}, {Table::kSubsortName, "None"}}, {25, 8, 0, 3}},
  };
  for (const auto& [name, stored, edits, wanted] : cases) {
    SortValues got;
    std::vector<std::string> problems;
    EXPECT_TRUE(CatalogueEdit::Wanted(RowFor(stored, edits), stored.values, &got, &problems)) << name;
    EXPECT_EQ(problems, std::vector<std::string>()) << name;
    EXPECT_EQ(got, wanted) << name;
  }
}

TEST(CatalogueEditTest, CellsThatCannotBeReadOrDisagreeAreProblems) {
  const struct {
    const char* name;
    Cells edits;
    std::vector<std::string> problems;
  } cases[] = {
      {"a name edited beside its number", {{Table::kFunctionName, "Surfaces"}},
       {"function 1 and function_name \"Surfaces\" disagree: the controls show \"Seating\" for 1; change both, or "
        "empty one of them"}},
      {"a subsort name of another bit", {{Table::kSubsortName, "Sofas"}},
       {"subsort 2 and subsort_name \"Sofas\" disagree: the controls show \"Living Chairs\" for 2; change both, or "
        "empty one of them"}},
      {"boxes edited beside their number", {{Table::kDowntownBoxes, "Street"}},
       {"downtown 0 and downtown_boxes \"Street\" disagree: the controls show \"\" for 0; change both, or empty one "
        "of them"}},
      {"bad number", {{Table::kRoom, "8.0"}}, {"bad number in room \"8.0\": give a whole number from -32768 to 65535"}},
      {"out of range", {{Table::kDowntown, "65536"}},
       {"bad number in downtown \"65536\": give a whole number from -32768 to 65535"}},
      {"a subsort not in the new list",
       {{Table::kFunction, ""}, {Table::kFunctionName, "Seating"}, {Table::kSubsort, ""},
        {Table::kSubsortName, "Stoves"}},
       {"unknown subsort in subsort_name \"Stoves\" for function sort 1 (Seating); valid names: None, Dining "
        "Chairs, Living Chairs, Sofas, Beds, Other"}},
      {"two in one row",
       {{Table::kRoom, ""}, {Table::kRoomName, "Garage"}, {Table::kDowntown, ""}, {Table::kDowntownBoxes, "Park"}},
       {"unknown room sort in room_name \"Garage\"; valid names: None, Kitchen, Bedroom, Bathroom, Family, Outside, "
        "Dining, Other, Study",
        "unknown downtown box \"Park\" in downtown_boxes \"Park\"; give a comma-separated list of Dining, Outdoor, "
        "Shopping, Street, Other (an empty list ticks no box)"}},
      {"a number as a name", {{Table::kFunction, nullptr}, {Table::kFunctionName, "2"}},
       {"unknown function sort in function_name \"2\"; valid names: None, Seating, Surfaces, Appliances, "
        "Electronics, Plumbing, Decorative, Other, Lighting"}},
  };
  for (const auto& [name, edits, expected] : cases) {
    SortValues got;
    std::vector<std::string> problems;
    EXPECT_FALSE(CatalogueEdit::Wanted(RowFor(kArmchair, edits), kArmchair.values, &got, &problems)) << name;
    EXPECT_EQ(problems, expected) << name;
  }
}

TEST(CatalogueEditTest, WrittenTakesTheNumberCells) {
  EXPECT_EQ(CatalogueEdit::Written(RowFor(kRadio, {})), kRadio.values);
  EXPECT_EQ(CatalogueEdit::Written(RowFor(kRadio, {{Table::kRoom, "x"}, {Table::kDowntown, nullptr}})),
            (SortValues{0, 0, 16, 8}));
}

}  // namespace
