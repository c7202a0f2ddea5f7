#include "cli/SortOption.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/SortText.h"

namespace {

int32_t Parsed(SortOption option, const std::string& text, int32_t functionSort = 0) {
  int32_t value = 12345;
  std::string error;
  EXPECT_TRUE(ParseSortOption(option, text, functionSort, &value, &error)) << text << ": " << error;
  return value;
}

bool Refused(SortOption option, const std::string& text, int32_t functionSort = 0) {
  int32_t value = 12345;
  std::string error;
  const bool parsed = ParseSortOption(option, text, functionSort, &value, &error);
  EXPECT_EQ(value, 12345) << "a refused value is not stored";
  return !parsed && !error.empty();
}

TEST(SortOptionTest, NumbersCoverEverySixteenBitValueAndNoMore) {
  int32_t value = 0;
  for (const auto& [text, expected] : {std::pair{"-32768", -32768}, std::pair{"65535", 65535}, std::pair{"0", 0},
                                      std::pair{"+17", 17}, std::pair{"-0", 0}, std::pair{"000304", 304}}) {
    ASSERT_TRUE(ParseSortNumber(text, &value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* text : {"-32769", "65536", "4294967296", "", "-", "+-1", " 1", "1 ", "1_000"}) {
    EXPECT_FALSE(ParseSortNumber(text, &value)) << text;
  }
}

TEST(SortOptionTest, NamesAreTheItemsOfEachListWithoutRegardToCase) {
  EXPECT_EQ(Parsed(SortOption::kFunction, "LIGHTING"), 128);
  EXPECT_EQ(Parsed(SortOption::kFunction, "none"), 0);
  EXPECT_EQ(Parsed(SortOption::kRoom, "study"), 128);
  EXPECT_EQ(Parsed(SortOption::kRoom, "Other"), 64);
  EXPECT_EQ(Parsed(SortOption::kSubsort, "hot tubs", 16), 8);
  EXPECT_EQ(Parsed(SortOption::kSubsort, "Other", 16), 16);
  EXPECT_EQ(Parsed(SortOption::kSubsort, "Other", 0), 1);
  EXPECT_EQ(Parsed(SortOption::kSubsort, "None", 96), 0);
  EXPECT_EQ(Parsed(SortOption::kDowntown, "other,DINING"), 129);
  EXPECT_EQ(Parsed(SortOption::kDowntown, "   "), 0);
  // A name never reads as a number, and a number as a name only through its
  // value.
  EXPECT_EQ(Parsed(SortOption::kDowntown, "-1"), -1);
  EXPECT_TRUE(Refused(SortOption::kFunction, "Seating "));
  EXPECT_TRUE(Refused(SortOption::kSubsort, "Sofas", 0));
  EXPECT_TRUE(Refused(SortOption::kSubsort, "Sofas", 2));
  EXPECT_TRUE(Refused(SortOption::kRoom, "Kitchen,Dining"));
  EXPECT_TRUE(Refused(SortOption::kDowntown, "Dining,"));
  EXPECT_TRUE(Refused(SortOption::kDowntown, "Street;Dining"));
}

TEST(SortTextTest, SubsortNamesAndLooseDowntownBits) {
  EXPECT_EQ(SubsortName(8, 16), "Other");
  EXPECT_EQ(SubsortName(8, 0), "None");
  EXPECT_EQ(SubsortName(3, 1), "Other");
  EXPECT_EQ(SubsortName(3, 2), "");
  EXPECT_EQ(SubsortName(1, 32), "None");
  EXPECT_EQ(DowntownBitsWithoutBox(304), 304);
  EXPECT_EQ(DowntownBitsWithoutBox(143), 0);
  EXPECT_EQ(DowntownBitsWithoutBox(-1), 0xFF70);
}

}  // namespace
