#pragma once

#include <cstdint>
#include <span>

// The catalogue sort vocabulary: the item texts of the sort combo boxes and
// the downtown check boxes, in the order the dialog shows them, and how a
// stored sort value maps to a selection and back.
//
// Function sort, room sort and function subsort share one rule: item 0 means
// no bit (value 0) and item k >= 1 means exactly the single bit 2^(k-1).

// Item texts of the function sort list: "None", "Seating", ... "Lighting".
std::span<const char* const> FunctionSortItems();
// Item texts of the room sort list: "None", "Kitchen", ... "Study".
std::span<const char* const> RoomSortItems();
// The subsort list for a function sort value: for each of the eight single
// bits "None", its four subsorts, "Other"; for any other value (0, several
// bits, bits above 128, negative) only "None", "Other".
std::span<const char* const> SubsortItems(int32_t functionSort);
// The four subsort texts of a function sort item 1..8; empty otherwise.
std::span<const char* const> SubsortTexts(int32_t functionSortItem);

// Value to selection for function and room sorts: the item of a single bit
// 1..128, otherwise item 0.
int32_t SortItemForValue(int32_t value);
// Value to selection for the subsort: 1, 2, 4, 8, 16 ask for items 1..5 and
// every other value for item 0. An item beyond the function sort's list (2..16
// in the two-item list) does not exist: the answer is then -1, no selection.
int32_t SubsortItemForValue(int32_t functionSort, int32_t subsort);
// Selection to value for all three lists: item k >= 1 stores the single bit
// 2^(k-1); item 0 and anything outside 0..16 store 0.
int32_t SortValueForItem(int32_t item);

// One downtown check box.
struct DowntownBox {
  const char* fText;
  int32_t fValue;    // its bit in the downtown sort
  int32_t fControl;  // the dialog control that shows it
};

// The five boxes in control order: "Dining" (1, 1031), "Outdoor" (4, 1032),
// "Shopping" (2, 1033), "Street" (8, 1034), "Other" (128, 1035).
std::span<const DowntownBox> DowntownBoxes();
// Whether box `box` (index into DowntownBoxes) shows a tick for the value.
bool DowntownBoxTicked(int32_t downtownSort, int32_t box);
// The downtown value rebuilt from the boxes alone; `ticked` is indexed like
// DowntownBoxes (missing entries count as unticked). Bits without a box
// become 0.
int32_t DowntownValueFromBoxes(std::span<const bool> ticked);

// Name lookups, ASCII letters compared without regard to case; -1 when no
// item carries the name. A null name matches nothing.
int32_t FindFunctionSortItem(const char* name);
int32_t FindRoomSortItem(const char* name);
// Within the subsort list of the function sort value.
int32_t FindSubsortItem(int32_t functionSort, const char* name);
// An index into DowntownBoxes.
int32_t FindDowntownBox(const char* name);
