// The sort vocabulary's tables and its value/selection rules, as the dialog
// and the command line apply them.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "msrc/Objects/SortVocabulary.h"

namespace {

using Texts = std::vector<std::string>;

Texts TextsOf(std::span<const char* const> items) { return Texts(items.begin(), items.end()); }

TEST(SortVocabularyTest, FunctionAndRoomListsInOrder) {
  EXPECT_EQ(TextsOf(FunctionSortItems()), (Texts{"None", "Seating", "Surfaces", "Appliances", "Electronics", "Plumbing",
                                                 "Decorative", "Other", "Lighting"}));
  EXPECT_EQ(TextsOf(RoomSortItems()),
            (Texts{"None", "Kitchen", "Bedroom", "Bathroom", "Family", "Outside", "Dining", "Other", "Study"}));
}

TEST(SortVocabularyTest, EverySubsortListInOrder) {
  const std::array<Texts, 8> expected = {{
      {"Dining Chairs", "Living Chairs", "Sofas", "Beds"},
      {"Counters", "Tables", "End Tables", "Desks"},
      {"Stoves", "Fridges", "Small Appliances", "Large Appliances"},
      {"Entertainment", "TV / Computer", "Audio", "Phones"},
      {"Toilets", "Tubs / Showers", "Sinks", "Hot Tubs"},
      {"Paintings", "Sculptures", "Rugs", "Plants"},
      {"Recreation", "Knowledge", "Creative", "Wardrobe"},
      {"Table Lamps", "Standing Lamps", "Wall Lights", "Hanging Lights"},
  }};
  for (int32_t item = 1; item <= 8; ++item) {
    const Texts& four = expected[static_cast<size_t>(item - 1)];
    EXPECT_EQ(TextsOf(SubsortTexts(item)), four);
    Texts full{"None"};
    full.insert(full.end(), four.begin(), four.end());
    full.emplace_back("Other");
    EXPECT_EQ(TextsOf(SubsortItems(SortValueForItem(item))), full) << item;
  }
  EXPECT_TRUE(SubsortTexts(0).empty());
  EXPECT_TRUE(SubsortTexts(9).empty());
  for (const int32_t value : {0, 3, 256, -1, -128, 0x8000}) {
    EXPECT_EQ(TextsOf(SubsortItems(value)), (Texts{"None", "Other"})) << value;
  }
}

TEST(SortVocabularyTest, RoomSortOfSeveralBitsShowsNoneAndAChoiceReplacesIt) {
  EXPECT_EQ(SortItemForValue(33), 0);
  const int32_t bathroom = FindRoomSortItem("Bathroom");
  EXPECT_EQ(bathroom, 3);
  EXPECT_EQ(SortValueForItem(bathroom), 4);
  for (int32_t item = 0; item <= 8; ++item) EXPECT_EQ(SortItemForValue(SortValueForItem(item)), item);
  for (const int32_t value : {0, 3, 256, -1, -128, 0x4000}) EXPECT_EQ(SortItemForValue(value), 0) << value;
  EXPECT_EQ(SortValueForItem(-1), 0);
  EXPECT_EQ(SortValueForItem(16), 0x8000);
  EXPECT_EQ(SortValueForItem(17), 0);
}

TEST(SortVocabularyTest, ElectronicsAndItsSubsorts) {
  EXPECT_EQ(SortItemForValue(8), 4);
  EXPECT_EQ(FunctionSortItems()[4], std::string("Electronics"));
  EXPECT_EQ(TextsOf(SubsortItems(8)), (Texts{"None", "Entertainment", "TV / Computer", "Audio", "Phones", "Other"}));
  EXPECT_EQ(SubsortItemForValue(8, 16), 5);
  EXPECT_EQ(SubsortItemForValue(8, 1), 1);
  EXPECT_EQ(SubsortItemForValue(8, 0), 0);
  EXPECT_EQ(SubsortItemForValue(8, 32), 0);
  EXPECT_EQ(SubsortItemForValue(8, 3), 0);
}

TEST(SortVocabularyTest, TwoItemSubsortList) {
  EXPECT_EQ(SortItemForValue(3), 0);
  EXPECT_EQ(SubsortItemForValue(3, 1), 1);
  EXPECT_EQ(SubsortItemForValue(3, 0), 0);
  for (const int32_t subsort : {2, 4, 8, 16}) EXPECT_EQ(SubsortItemForValue(3, subsort), -1) << subsort;
  EXPECT_EQ(SubsortItemForValue(0, 64), 0);
  const int32_t other = FindSubsortItem(3, "Other");
  EXPECT_EQ(other, 1);
  EXPECT_EQ(SortValueForItem(other), 1);
}

TEST(SortVocabularyTest, DowntownBoxes) {
  const std::span<const DowntownBox> boxes = DowntownBoxes();
  ASSERT_EQ(boxes.size(), 5u);
  const std::array<std::string, 5> texts = {"Dining", "Outdoor", "Shopping", "Street", "Other"};
  const std::array<int32_t, 5> values = {1, 4, 2, 8, 128};
  for (size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].fText, texts[i]);
    EXPECT_EQ(boxes[i].fValue, values[i]);
    EXPECT_EQ(boxes[i].fControl, 1031 + static_cast<int32_t>(i));
  }

  // 304 is bits 4, 5 and 8: no box shows them, and a click keeps only boxes.
  std::array<bool, 5> ticked{};
  for (int32_t box = 0; box < 5; ++box) ticked[static_cast<size_t>(box)] = DowntownBoxTicked(304, box);
  EXPECT_EQ(ticked, (std::array<bool, 5>{}));
  const int32_t street = FindDowntownBox("Street");
  ticked[static_cast<size_t>(street)] = true;
  EXPECT_EQ(DowntownValueFromBoxes(ticked), 8);

  for (int32_t box = 0; box < 5; ++box) EXPECT_TRUE(DowntownBoxTicked(0xFF, box));
  EXPECT_FALSE(DowntownBoxTicked(0xFF, 5));
  EXPECT_EQ(DowntownValueFromBoxes(std::array<bool, 5>{true, true, true, true, true}), 143);
  EXPECT_EQ(DowntownValueFromBoxes(std::array<bool, 2>{true, true}), 5);
  EXPECT_EQ(DowntownValueFromBoxes(std::array<bool, 7>{false, false, false, false, false, true, true}), 0);
}

TEST(SortVocabularyTest, NameLookupsIgnoreAsciiCaseOnly) {
  EXPECT_EQ(FindFunctionSortItem("lighting"), 8);
  EXPECT_EQ(FindFunctionSortItem("NONE"), 0);
  EXPECT_EQ(FindFunctionSortItem("Light"), -1);
  EXPECT_EQ(FindFunctionSortItem(""), -1);
  EXPECT_EQ(FindFunctionSortItem(nullptr), -1);
  EXPECT_EQ(FindRoomSortItem("sTuDy"), 8);
  EXPECT_EQ(FindRoomSortItem("Kitchens"), -1);
  EXPECT_EQ(FindSubsortItem(8, "tv / computer"), 2);
  EXPECT_EQ(FindSubsortItem(1, "tv / computer"), -1);
  EXPECT_EQ(FindSubsortItem(1, "other"), 5);
  EXPECT_EQ(FindSubsortItem(0, "Sofas"), -1);
  EXPECT_EQ(FindDowntownBox("OUTDOOR"), 1);
  EXPECT_EQ(FindDowntownBox("Dining"), 0);
  EXPECT_EQ(FindDowntownBox("Kitchen"), -1);
  EXPECT_EQ(FindDowntownBox(nullptr), -1);
}

}  // namespace
