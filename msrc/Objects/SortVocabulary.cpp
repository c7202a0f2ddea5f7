#include "msrc/Objects/SortVocabulary.h"

#include <array>

namespace {

constexpr int32_t kBitItems = 8;         // items 1..8 of the function and room lists
constexpr int32_t kSubsortBits = 5;      // items 1..5 of a full subsort list
constexpr int32_t kLargestItemBit = 16;  // item 16 still names a bit of a 16-bit field

constexpr std::array<const char*, kBitItems + 1> kFunctionSortItems = {
    "None", "Seating", "Surfaces", "Appliances", "Electronics", "Plumbing", "Decorative", "Other", "Lighting",
};

constexpr std::array<const char*, kBitItems + 1> kRoomSortItems = {
    "None", "Kitchen", "Bedroom", "Bathroom", "Family", "Outside", "Dining", "Other", "Study",
};

// For each function sort item 1..8: "None", its four subsorts, "Other".
using SubsortList = std::array<const char*, kSubsortBits + 1>;
constexpr std::array<SubsortList, kBitItems> kSubsortLists = {{
    {"None", "Dining Chairs", "Living Chairs", "Sofas", "Beds", "Other"},
    {"None", "Counters", "Tables", "End Tables", "Desks", "Other"},
    {"None", "Stoves", "Fridges", "Small Appliances", "Large Appliances", "Other"},
    {"None", "Entertainment", "TV / Computer", "Audio", "Phones", "Other"},
    {"None", "Toilets", "Tubs / Showers", "Sinks", "Hot Tubs", "Other"},
    {"None", "Paintings", "Sculptures", "Rugs", "Plants", "Other"},
    {"None", "Recreation", "Knowledge", "Creative", "Wardrobe", "Other"},
    {"None", "Table Lamps", "Standing Lamps", "Wall Lights", "Hanging Lights", "Other"},
}};

// The list for every function sort value that is not a single bit 1..128.
constexpr std::array<const char*, 2> kShortSubsortList = {"None", "Other"};

constexpr std::array<DowntownBox, 5> kDowntownBoxes = {{
    {"Dining", 1, 1031},
    {"Outdoor", 4, 1032},
    {"Shopping", 2, 1033},
    {"Street", 8, 1034},
    {"Other", 128, 1035},
}};

// The item k (1..limit) whose single bit 2^(k-1) equals the value; 0 when
// there is none.
int32_t SingleBitItem(int32_t value, int32_t limit) {
  for (int32_t item = 1; item <= limit; ++item) {
    if (value == (1 << (item - 1))) return item;
  }
  return 0;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameNoCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  }
  return *a == *b;
}

int32_t FindItem(std::span<const char* const> items, const char* name) {
  if (name == nullptr) return -1;
  for (size_t i = 0; i < items.size(); ++i) {
    if (SameNameNoCase(items[i], name)) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace

std::span<const char* const> FunctionSortItems() { return kFunctionSortItems; }

std::span<const char* const> RoomSortItems() { return kRoomSortItems; }

std::span<const char* const> SubsortItems(int32_t functionSort) {
  const int32_t item = SingleBitItem(functionSort, kBitItems);
  if (item == 0) return kShortSubsortList;
  return kSubsortLists[static_cast<size_t>(item - 1)];
}

std::span<const char* const> SubsortTexts(int32_t functionSortItem) {
  if (functionSortItem < 1 || functionSortItem > kBitItems) return {};
  return std::span<const char* const>(kSubsortLists[static_cast<size_t>(functionSortItem - 1)]).subspan(1, 4);
}

int32_t SortItemForValue(int32_t value) { return SingleBitItem(value, kBitItems); }

int32_t SubsortItemForValue(int32_t functionSort, int32_t subsort) {
  const int32_t item = SingleBitItem(subsort, kSubsortBits);
  const auto count = static_cast<int32_t>(SubsortItems(functionSort).size());
  return item < count ? item : -1;
}

int32_t SortValueForItem(int32_t item) {
  if (item < 1 || item > kLargestItemBit) return 0;
  return 1 << (item - 1);
}

std::span<const DowntownBox> DowntownBoxes() { return kDowntownBoxes; }

bool DowntownBoxTicked(int32_t downtownSort, int32_t box) {
  if (box < 0 || box >= static_cast<int32_t>(kDowntownBoxes.size())) return false;
  return (downtownSort & kDowntownBoxes[static_cast<size_t>(box)].fValue) != 0;
}

int32_t DowntownValueFromBoxes(std::span<const bool> ticked) {
  int32_t value = 0;
  for (size_t i = 0; i < kDowntownBoxes.size() && i < ticked.size(); ++i) {
    if (ticked[i]) value |= kDowntownBoxes[i].fValue;
  }
  return value;
}

int32_t FindFunctionSortItem(const char* name) { return FindItem(kFunctionSortItems, name); }

int32_t FindRoomSortItem(const char* name) { return FindItem(kRoomSortItems, name); }

int32_t FindSubsortItem(int32_t functionSort, const char* name) { return FindItem(SubsortItems(functionSort), name); }

int32_t FindDowntownBox(const char* name) {
  if (name == nullptr) return -1;
  for (size_t i = 0; i < kDowntownBoxes.size(); ++i) {
    if (SameNameNoCase(kDowntownBoxes[i].fText, name)) return static_cast<int32_t>(i);
  }
  return -1;
}
